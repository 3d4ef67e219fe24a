// Decoding throughput of TPngGraphic on large generated images, against zlib inflating the
// same image data alone (a bound no decoder can beat).
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <istream>
#include <streambuf>
#include <string>
#include <vector>

#include "png/png_graphic.h"
#include "testkit/png_files.h"

namespace {

namespace test = kelvara::test;
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

// RGBA colour at (x, y): smooth gradients with a little noise, like a photo-ish icon.
void Pixel(uint32_t x, uint32_t y, uint8_t* out) {
    const uint32_t noise = (x * 2654435761u ^ y * 40503u) >> 29;
    out[0] = uint8_t(x / 16 + noise);
    out[1] = uint8_t(y / 16 + noise);
    out[2] = uint8_t((x + y) / 32);
    out[3] = uint8_t(255 - (x ^ y) / 64);
}

struct TestImage {
    std::string idat;  // the zlib stream
    std::string file;
    size_t rawSize = 0;
};

TestImage MakeImage(bool interlaced) {
    test::SampleImage pixels;
    pixels.width = pixels.height = kSide;
    pixels.bitDepth = 8;
    pixels.colorType = 6;
    pixels.samples.resize(kPixelBytes);
    for (uint32_t y = 0; y < kSide; ++y) {
        for (uint32_t x = 0; x < kSide; ++x) {
            uint8_t rgba[4];
            Pixel(x, y, rgba);
            for (int c = 0; c < 4; ++c) {
                pixels.At(x, y, c) = rgba[c];
            }
        }
    }
    TestImage image;
    const std::string raw = test::FilteredImageData(pixels, interlaced);
    image.rawSize = raw.size();
    image.idat = test::ZlibCompress(raw);
    image.file = test::PngSignature() +
                 test::PngChunk("IHDR", test::IhdrData(kSide, kSide, 8, 6, interlaced ? 1 : 0));
    // Image data in chunks of 64 KiB, as encoders commonly write it.
    for (size_t at = 0; at < image.idat.size(); at += 65536) {
        image.file += test::PngChunk("IDAT", image.idat.substr(at, 65536));
    }
    image.file += test::PngChunk("IEND", "");
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
