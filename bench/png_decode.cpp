// Decoding throughput of TPngGraphic on large generated images, against zlib inflating the
// same image data alone (a bound no decoder can beat).
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdlib>
#include <istream>
#include <streambuf>
#include <string>
#include <vector>

#include "png/png_graphic.h"

namespace {

using kelvara::png::TPngGraphic;

constexpr uint32_t kSide = 4096;
constexpr size_t kPixelBytes = size_t(kSide) * kSide * 4;

class MemoryBuffer : public std::streambuf {
  public:
    explicit MemoryBuffer(const std::string& bytes) {
        char* begin = const_cast<char*>(bytes.data());
        setg(begin, begin, begin + bytes.size());
    }
};

std::string BigEndian(uint32_t v) {
    return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}

std::string Chunk(const std::string& name, const std::string& data) {
    const std::string body = name + data;
    const uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(body.data()), uInt(body.size()));
    return BigEndian(uint32_t(data.size())) + body + BigEndian(uint32_t(crc));
}

int Predict(int type, int left, int up, int upLeft) {
    switch (type) {
        case 1:
            return left;
        case 2:
            return up;
        case 3:
            return (left + up) / 2;
        case 4: {
            const int p = left + up - upLeft;
            const int pa = std::abs(p - left), pb = std::abs(p - up), pc = std::abs(p - upLeft);
            return pa <= pb && pa <= pc ? left : pb <= pc ? up : upLeft;
        }
        default:
            return 0;
    }
}

// RGBA colour at (x, y): smooth gradients with a little noise, like a photo-ish icon.
void Pixel(uint32_t x, uint32_t y, uint8_t* out) {
    const uint32_t noise = (x * 2654435761u ^ y * 40503u) >> 29;
    out[0] = uint8_t(x / 16 + noise);
    out[1] = uint8_t(y / 16 + noise);
    out[2] = uint8_t((x + y) / 32);
    out[3] = uint8_t(255 - (x ^ y) / 64);
}

struct Pass {
    uint32_t x0, y0, dx, dy;
};

std::string FilteredData(bool interlaced) {
    static const Pass kAdam7[7] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                   {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    static const Pass kPlain[1] = {{0, 0, 1, 1}};
    std::string out;
    out.reserve(kPixelBytes + kSide * 2);
    for (const Pass& pass : interlaced ? std::vector<Pass>(kAdam7, kAdam7 + 7)
                                       : std::vector<Pass>(kPlain, kPlain + 1)) {
        const uint32_t columns = (kSide - pass.x0 + pass.dx - 1) / pass.dx;
        std::vector<uint8_t> previous(columns * 4, 0), row(columns * 4);
        for (uint32_t y = pass.y0, r = 0; y < kSide; y += pass.dy, ++r) {
            for (uint32_t i = 0; i < columns; ++i) {
                Pixel(pass.x0 + i * pass.dx, y, &row[i * 4]);
            }
            const int type = int(r % 5);
            out += char(type);
            for (size_t i = 0; i < row.size(); ++i) {
                const int left = i >= 4 ? row[i - 4] : 0;
                const int upLeft = i >= 4 ? previous[i - 4] : 0;
                out += char(row[i] - Predict(type, left, previous[i], upLeft));
            }
            previous.swap(row);
        }
    }
    return out;
}

struct TestImage {
    std::string idat;  // the zlib stream
    std::string file;
    size_t rawSize = 0;
};

TestImage MakeImage(bool interlaced) {
    TestImage image;
    const std::string raw = FilteredData(interlaced);
    image.rawSize = raw.size();
    uLongf size = compressBound(uLong(raw.size()));
    image.idat.resize(size);
    compress2(reinterpret_cast<Bytef*>(image.idat.data()), &size,
              reinterpret_cast<const Bytef*>(raw.data()), uLong(raw.size()), 6);
    image.idat.resize(size);
    const std::string header = BigEndian(kSide) + BigEndian(kSide) + char(8) + char(6) + char(0) +
                               char(0) + char(interlaced ? 1 : 0);
    image.file = std::string("\x89PNG\r\n\x1a\n", 8) + Chunk("IHDR", header);
    // Image data in chunks of 64 KiB, as encoders commonly write it.
    for (size_t at = 0; at < image.idat.size(); at += 65536) {
        image.file += Chunk("IDAT", image.idat.substr(at, 65536));
    }
    image.file += Chunk("IEND", "");
    return image;
}

const TestImage& Plain() {
    static const TestImage image = MakeImage(false);
    return image;
}

const TestImage& Interlaced() {
    static const TestImage image = MakeImage(true);
    return image;
}

void Decode(benchmark::State& state, const TestImage& image) {
    for (auto _ : state) {
        MemoryBuffer buffer(image.file);
        std::istream stream(&buffer);
        TPngGraphic graphic;
        graphic.LoadFromStream(stream);
        benchmark::DoNotOptimize(graphic.Header().Image().bitmap.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kPixelBytes));
    state.counters["compressed_MB"] = double(image.idat.size()) / 1e6;
}

// zlib alone: the same stream inflated into one buffer of the whole raw size.
void InflateOnly(benchmark::State& state, const TestImage& image) {
    std::string raw(image.rawSize, '\0');
    for (auto _ : state) {
        uLongf size = uLongf(raw.size());
        uncompress(reinterpret_cast<Bytef*>(raw.data()), &size,
                   reinterpret_cast<const Bytef*>(image.idat.data()), uLong(image.idat.size()));
        benchmark::DoNotOptimize(raw.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kPixelBytes));
}

// zlib alone, inflating row by row into one scanline as the decoder must (no whole stream or
// image held in memory).
void InflateRows(benchmark::State& state, const TestImage& image) {
    const size_t row = size_t(kSide) * 4 + 1;
    std::vector<uint8_t> line(row);
    for (auto _ : state) {
        z_stream stream{};
        inflateInit(&stream);
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(image.idat.data()));
        stream.avail_in = uInt(image.idat.size());
        int result = Z_OK;
        while (result == Z_OK) {
            stream.next_out = line.data();
            stream.avail_out = uInt(row);
            result = inflate(&stream, Z_NO_FLUSH);
        }
        inflateEnd(&stream);
        benchmark::DoNotOptimize(line.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kPixelBytes));
}

void BM_DecodeRgba4096(benchmark::State& state) {
    Decode(state, Plain());
}
void BM_ZlibInflateRgba4096(benchmark::State& state) {
    InflateOnly(state, Plain());
}
void BM_ZlibInflateRowsRgba4096(benchmark::State& state) {
    InflateRows(state, Plain());
}
void BM_DecodeRgba4096Interlaced(benchmark::State& state) {
    Decode(state, Interlaced());
}
void BM_ZlibInflateRgba4096Interlaced(benchmark::State& state) {
    InflateOnly(state, Interlaced());
}

BENCHMARK(BM_DecodeRgba4096)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ZlibInflateRgba4096)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ZlibInflateRowsRgba4096)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_DecodeRgba4096Interlaced)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ZlibInflateRgba4096Interlaced)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
