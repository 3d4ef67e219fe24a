// TPngGraphic against libpng's png_read_image on the same large RGBA images, plain and
// interlaced, the two decoders run in alternation within each iteration. Counters give each
// decoder's median MB/s of RGBA output (CPU time) and the ratio of our median time over
// libpng's (below 1: we are faster). Without libpng they are not built.
//
// With KELVARA_PNG_PEERS_DIR set, the two test images are also written there (for timing the
// command-line tool against other programs on the same files, see scripts/bench/png-cli.sh).
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <istream>
#include <streambuf>
#include <string>
#include <vector>

#ifdef KELVARA_HAVE_LIBPNG
#include <png.h>
#endif

#include "png/png_graphic.h"

namespace {

using kelvara::png::TPngGraphic;
using kelvara::png::TPngImage;

constexpr uint32_t kSize = 4096;
constexpr size_t kRgbaBytes = size_t(kSize) * kSize * 4;

// ---- Test images ----------------------------------------------------------------------------

void PutBigEndian(std::string& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out += char(value >> shift);
    }
}

void PutChunk(std::string& out, const char* name, const char* data, size_t size) {
    PutBigEndian(out, uint32_t(size));
    const size_t start = out.size();
    out.append(name, 4);
    out.append(data, size);
    const auto* bytes = reinterpret_cast<const Bytef*>(out.data() + start);
    PutBigEndian(out, uint32_t(crc32(0L, bytes, uInt(size + 4))));
}

// A photo-like RGBA picture: smooth colour fields with fine grain, opaque in the middle and
// fading to clear towards the corners.
void Colour(uint32_t x, uint32_t y, uint8_t* rgba) {
    uint32_t grain = (x * 73856093u) ^ (y * 19349663u);
    grain = (grain ^ grain >> 13) * 0x5bd1e995u;
    const int noise = int(grain >> 28) - 8;
    const int wave = int((x * x / 512 + y * 3) & 0x1FF);
    const int ridge = wave < 256 ? wave : 511 - wave;
    rgba[0] = uint8_t(std::clamp(int(x / 20) + ridge / 4 + noise, 0, 255));
    rgba[1] = uint8_t(std::clamp(int(y / 18) + noise / 2, 0, 255));
    rgba[2] = uint8_t(std::clamp(200 - ridge / 2 + int((x + y) / 64) + noise, 0, 255));
    const int dx = std::abs(int(x) - int(kSize / 2)), dy = std::abs(int(y) - int(kSize / 2));
    const int edge = std::max(0, dx + dy - int(kSize) * 3 / 4);
    rgba[3] = uint8_t(std::max(0, 255 - edge / 2));
}

uint8_t Predictor(int type, uint8_t a, uint8_t b, uint8_t c) {
    switch (type) {
        case 1:
            return a;
        case 2:
            return b;
        case 3:
            return uint8_t((a + b) >> 1);
        case 4: {
            const int p = a + b - c;
            const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
            return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
        }
        default:
            return 0;
    }
}

// Filters each row with the type whose output has the smallest sum of magnitudes, the usual
// heuristic of encoders, and appends the filter byte and the filtered row.
void AppendFiltered(std::string& out, const std::vector<uint8_t>& row,
                    const std::vector<uint8_t>& above) {
    const size_t n = row.size();
    std::vector<uint8_t> best, trial(n);
    long bestSum = -1;
    int bestType = 0;
    for (int type = 0; type <= 4; ++type) {
        long sum = 0;
        for (size_t i = 0; i < n; ++i) {
            const uint8_t a = i >= 4 ? row[i - 4] : 0;
            const uint8_t c = i >= 4 ? above[i - 4] : 0;
            trial[i] = uint8_t(row[i] - Predictor(type, a, above[i], c));
            sum += std::abs(int(int8_t(trial[i])));
        }
        if (bestSum < 0 || sum < bestSum) {
            bestSum = sum;
            bestType = type;
            best = trial;
        }
    }
    out += char(bestType);
    out.append(reinterpret_cast<const char*>(best.data()), n);
}

std::string MakePng(bool interlaced) {
    struct Pass {
        uint32_t x0, y0, dx, dy;
    };
    static const Pass kAdam7[7] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                   {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    static const Pass kSingle[1] = {{0, 0, 1, 1}};
    const Pass* passes = interlaced ? kAdam7 : kSingle;
    std::string raw;
    raw.reserve(kRgbaBytes + 2 * kSize * 2);
    for (int p = 0; p < (interlaced ? 7 : 1); ++p) {
        const Pass& pass = passes[p];
        const uint32_t columns = (kSize - pass.x0 + pass.dx - 1) / pass.dx;
        std::vector<uint8_t> above(size_t(columns) * 4, 0), row(above.size());
        for (uint32_t y = pass.y0; y < kSize; y += pass.dy) {
            for (uint32_t i = 0; i < columns; ++i) {
                Colour(pass.x0 + i * pass.dx, y, &row[size_t(i) * 4]);
            }
            AppendFiltered(raw, row, above);
            above.swap(row);
        }
    }
    std::string compressed(compressBound(uLong(raw.size())), '\0');
    uLongf size = uLongf(compressed.size());
    compress2(reinterpret_cast<Bytef*>(compressed.data()), &size,
              reinterpret_cast<const Bytef*>(raw.data()), uLong(raw.size()), 6);
    compressed.resize(size);

    std::string file("\x89PNG\r\n\x1a\n", 8);
    std::string header;
    PutBigEndian(header, kSize);
    PutBigEndian(header, kSize);
    header += {char(8), char(6), char(0), char(0), char(interlaced ? 1 : 0)};
    PutChunk(file, "IHDR", header.data(), header.size());
    constexpr size_t kIdatSize = 65536;
    for (size_t at = 0; at < compressed.size(); at += kIdatSize) {
        PutChunk(file, "IDAT", compressed.data() + at, std::min(kIdatSize, compressed.size() - at));
    }
    PutChunk(file, "IEND", nullptr, 0);
    return file;
}

const std::string& PlainPng() {
    static const std::string file = MakePng(false);
    return file;
}

const std::string& InterlacedPng() {
    static const std::string file = MakePng(true);
    return file;
}

// Writes the test images for scripts that time whole programs on them.
const bool kFilesWritten = [] {
    const char* folder = std::getenv("KELVARA_PNG_PEERS_DIR");
    if (!folder || !*folder) {
        return false;
    }
    for (const bool interlaced : {false, true}) {
        const std::string path =
            std::string(folder) + (interlaced ? "/peers-interlaced.png" : "/peers-plain.png");
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        const std::string& file = interlaced ? InterlacedPng() : PlainPng();
        out.write(file.data(), std::streamsize(file.size()));
        std::fprintf(stderr, "wrote %s\n", path.c_str());
    }
    return true;
}();

// ---- The decoders ---------------------------------------------------------------------------
#ifdef KELVARA_HAVE_LIBPNG

class MemoryBuffer : public std::streambuf {
  public:
    explicit MemoryBuffer(const std::string& bytes) {
        char* begin = const_cast<char*>(bytes.data());
        setg(begin, begin, begin + bytes.size());
    }
};

// Red, green, blue and alpha of pixel (x, y) of our decoded stores.
void OurRgba(const TPngImage& image, uint32_t x, uint32_t y, uint8_t* rgba) {
    const uint8_t* bgr = image.BitmapRow(y) + size_t(x) * 3;
    rgba[0] = bgr[2];
    rgba[1] = bgr[1];
    rgba[2] = bgr[0];
    rgba[3] = image.AlphaRow(y)[x];
}

uint32_t DecodeOurs(const std::string& file, TPngGraphic& graphic) {
    MemoryBuffer buffer(file);
    std::istream stream(&buffer);
    graphic.LoadFromStream(stream);
    return graphic.Header().Image().bitmap[0];
}

struct MemoryReader {
    const std::string* file;
    size_t at;
};

void ReadFromMemory(png_structp png, png_bytep out, size_t count) {
    auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (count > reader->file->size() - reader->at) {
        png_error(png, "unexpected end of data");
    }
    std::memcpy(out, reader->file->data() + reader->at, count);
    reader->at += count;
}

// The whole image as RGBA rows into one buffer, the usual way of reading with libpng.
bool DecodeLibpng(const std::string& file, std::vector<uint8_t>* keep) {
    MemoryReader reader{&file, 0};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    uint8_t* volatile pixels = nullptr;
    png_bytep* volatile rows = nullptr;
    bool ok = false;
    if (png && info && setjmp(png_jmpbuf(png)) == 0) {
        png_set_read_fn(png, &reader, ReadFromMemory);
        png_read_info(png, info);
        png_set_interlace_handling(png);
        png_read_update_info(png, info);
        const png_uint_32 height = png_get_image_height(png, info);
        const size_t rowBytes = png_get_rowbytes(png, info);
        pixels = static_cast<uint8_t*>(std::malloc(rowBytes * height));
        rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * height));
        if (pixels && rows) {
            for (png_uint_32 y = 0; y < height; ++y) {
                rows[y] = pixels + y * rowBytes;
            }
            png_read_image(png, rows);
            png_read_end(png, nullptr);
            ok = true;
            if (keep) {
                keep->assign(pixels, pixels + rowBytes * height);
            }
        }
    }
    png_destroy_read_struct(png ? &png : nullptr, info ? &info : nullptr, nullptr);
    std::free(pixels);
    std::free(rows);
    return ok;
}

double CpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void Compare(benchmark::State& state, const std::string& file) {
    // Both decoders must agree before their speeds are worth comparing.
    {
        TPngGraphic graphic;
        DecodeOurs(file, graphic);
        std::vector<uint8_t> theirs;
        if (!DecodeLibpng(file, &theirs)) {
            state.SkipWithError("libpng failed to decode the test image");
            return;
        }
        const TPngImage& image = graphic.Header().Image();
        uint8_t ours[4];
        for (uint32_t y = 0; y < kSize; y += 7) {
            for (uint32_t x = 0; x < kSize; ++x) {
                OurRgba(image, x, y, ours);
                if (std::memcmp(ours, &theirs[(size_t(y) * kSize + x) * 4], 4) != 0) {
                    state.SkipWithError("the decoders disagree on the test image");
                    return;
                }
            }
        }
    }
    std::vector<double> ourTimes, theirTimes;
    for (auto _ : state) {
        {
            TPngGraphic graphic;
            const double start = CpuSeconds();
            benchmark::DoNotOptimize(DecodeOurs(file, graphic));
            ourTimes.push_back(CpuSeconds() - start);
        }
        const double start = CpuSeconds();
        benchmark::DoNotOptimize(DecodeLibpng(file, nullptr));
        theirTimes.push_back(CpuSeconds() - start);
    }
    const double ours = Median(ourTimes);
    const double theirs = Median(theirTimes);
    state.counters["kelvara_MB/s"] = kRgbaBytes / 1e6 / ours;
    state.counters["libpng_MB/s"] = kRgbaBytes / 1e6 / theirs;
    state.counters["ratio"] = ours / theirs;
    state.counters["file_MB"] = double(file.size()) / 1e6;
}

void BM_PngPeersRgba4096(benchmark::State& state) {
    Compare(state, PlainPng());
}

void BM_PngPeersRgba4096Interlaced(benchmark::State& state) {
    Compare(state, InterlacedPng());
}

BENCHMARK(BM_PngPeersRgba4096)->Unit(benchmark::kMillisecond)->MinTime(6.0);
BENCHMARK(BM_PngPeersRgba4096Interlaced)->Unit(benchmark::kMillisecond)->MinTime(6.0);
#endif  // KELVARA_HAVE_LIBPNG

}  // namespace
