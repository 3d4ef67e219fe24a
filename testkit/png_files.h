// PNG files for tests and benchmarks: a small writer for crafted files, and an independent
// reference decoder that gives the colours an image should show when drawn over white.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kelvara::test {

std::string PngSignature();
// Length, name, data and a valid check value.
std::string PngChunk(const std::string& name, const std::string& data);
std::string IhdrData(uint32_t width, uint32_t height, int bitDepth, int colorType,
                     int interlace = 0, int compression = 0);
std::string ZlibCompress(const std::string& raw);
// The byte a filter type predicts from the left, upper and upper-left bytes, as the PNG
// standard states it (0 for type 0 and unknown types).
int Predict(int type, int left, int up, int upLeft);

// An image as samples: channels per pixel, each sample below 2^bitDepth, rows top-down.
struct SampleImage {
    uint32_t width = 0;
    uint32_t height = 0;
    int bitDepth = 8;
    int colorType = 0;
    std::vector<uint16_t> samples;

    int Channels() const;
    uint16_t& At(uint32_t x, uint32_t y, int channel);
    uint16_t At(uint32_t x, uint32_t y, int channel) const;
};

SampleImage MakeSampleImage(uint32_t width, uint32_t height, int bitDepth, int colorType,
                            uint32_t seed);

// The uncompressed image data (filter bytes and scanlines, Adam7 passes when interlaced).
// Row r of each pass uses filter type r % 5 unless `filterType` is 0..4.
std::string FilteredImageData(const SampleImage& image, bool interlaced, int filterType = -1);

// A whole file: signature, header, the extra chunks, image data in chunks of at most
// idatSize bytes, end.
std::string BuildPng(const SampleImage& image, bool interlaced,
                     const std::string& chunksBeforeData = "", size_t idatSize = 1 << 20);

// Colours as 0xRRGGBB, top row first.
struct ExpectedPicture {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint32_t> pixels;
};

// Decodes the file with zlib's uncompress and plain unfiltering and computes what drawing it
// at natural size over white shows.
ExpectedPicture ReferenceOverWhite(const std::string& file);

// The gamma correction for a file gamma in 1/100000: 255 x (i / 255)^(1 / (g x 2.2)).
std::vector<uint8_t> ReferenceGamma(uint32_t fileGamma);

}  // namespace kelvara::test
