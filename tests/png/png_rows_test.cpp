// The row-at-a-time paths of decoding and drawing against plain definitions: images whose
// inflated data spans many reads of the decoder, the check value at the end of the zlib
// stream wherever it falls, the Adler-32, unfiltering, and drawing at natural size against
// the scaling path.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "png/png_checksum.h"
#include "png/png_errors.h"
#include "png/png_graphic.h"
#include "png/png_render.h"
#include "png/png_scanline.h"
#include "testkit/png_files.h"

namespace kelvara::png {
namespace {

std::string BigEndian(uint32_t value) {
    return {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
}

std::string Chunk(const std::string& name, const std::string& data) {
    const std::string body = name + data;
    const uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(body.data()), uInt(body.size()));
    return BigEndian(uint32_t(data.size())) + body + BigEndian(uint32_t(crc));
}

std::string Deflate(const std::string& raw) {
    uLongf size = compressBound(uLong(raw.size()));
    std::string out(size, '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &size,
              reinterpret_cast<const Bytef*>(raw.data()), uLong(raw.size()), 6);
    out.resize(size);
    return out;
}

// A file of the given header whose zlib stream is cut into IDAT chunks of `piece` bytes.
std::string File(uint32_t width, uint32_t height, int depth, int colorType, bool interlaced,
                 const std::string& stream, size_t piece) {
    std::string file = std::string("\x89PNG\r\n\x1a\n", 8) +
                       Chunk("IHDR", BigEndian(width) + BigEndian(height) + char(depth) +
                                         char(colorType) + '\0' + '\0' + char(interlaced));
    for (size_t at = 0; at < stream.size(); at += piece) {
        file += Chunk("IDAT", stream.substr(at, piece));
    }
    return file + Chunk("IEND", "");
}

struct Pass {
    uint32_t x0, y0, dx, dy;
};
constexpr Pass kAdam7[7] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                            {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
constexpr Pass kPlain[1] = {{0, 0, 1, 1}};

// Sample c of pixel (x, y) of the test pictures.
uint8_t Sample(uint32_t x, uint32_t y, unsigned c) {
    return uint8_t((x * 7 + y * 3 + c * 50) ^ (x * y >> 4));
}

// Filtered data of an image with `channels` bytes per pixel; the filter type of each row
// cycles through 0 to 4.
std::string Filtered(uint32_t width, uint32_t height, unsigned channels, bool interlaced) {
    std::string raw;
    const Pass* passes = interlaced ? kAdam7 : kPlain;
    for (int p = 0; p < (interlaced ? 7 : 1); ++p) {
        const Pass& pass = passes[p];
        if (width <= pass.x0 || height <= pass.y0) {
            continue;
        }
        const uint32_t columns = (width - pass.x0 + pass.dx - 1) / pass.dx;
        const size_t bytes = size_t(columns) * channels;
        std::vector<uint8_t> above(bytes, 0), row(bytes);
        for (uint32_t y = pass.y0, r = 0; y < height; y += pass.dy, ++r) {
            for (uint32_t i = 0; i < columns; ++i) {
                for (unsigned c = 0; c < channels; ++c) {
                    row[size_t(i) * channels + c] = Sample(pass.x0 + i * pass.dx, y, c);
                }
            }
            const int type = int((r + p) % 5);
            raw += char(type);
            for (size_t i = 0; i < bytes; ++i) {
                const int a = i >= channels ? row[i - channels] : 0;
                const int b = above[i];
                const int c = i >= channels ? above[i - channels] : 0;
                raw += char(row[i] - test::Predict(type, a, b, c));
            }
            above.swap(row);
        }
    }
    return raw;
}

void Load(TPngGraphic& graphic, const std::string& file) {
    std::istringstream stream(file);
    graphic.LoadFromStream(stream);
}

// The stores of an 8-bit RGBA image made of Sample; rows from `fromRow` on are expected to be
// zero (not decoded).
void ExpectRgbaPixels(const TPngGraphic& graphic, uint32_t fromRow = UINT32_MAX) {
    const TPngImage& image = graphic.Header().Image();
    for (uint32_t y = 0; y < image.height; ++y) {
        for (uint32_t x = 0; x < image.width; ++x) {
            const uint8_t* bgr = image.BitmapRow(y) + size_t(x) * 3;
            const bool zero = y >= fromRow;
            ASSERT_EQ(bgr[2], zero ? 0 : Sample(x, y, 0)) << x << "," << y;
            ASSERT_EQ(bgr[1], zero ? 0 : Sample(x, y, 1)) << x << "," << y;
            ASSERT_EQ(bgr[0], zero ? 0 : Sample(x, y, 2)) << x << "," << y;
            ASSERT_EQ(image.AlphaRow(y)[x], zero ? 0 : Sample(x, y, 3)) << x << "," << y;
        }
    }
}

// The bitmap of an 8-bit RGB image made of Sample.
void ExpectRgbPixels(const TPngGraphic& graphic) {
    const TPngImage& image = graphic.Header().Image();
    for (uint32_t y = 0; y < image.height; ++y) {
        for (uint32_t x = 0; x < image.width; ++x) {
            const uint8_t* bgr = image.BitmapRow(y) + size_t(x) * 3;
            ASSERT_EQ(bgr[2], Sample(x, y, 0)) << x << "," << y;
            ASSERT_EQ(bgr[1], Sample(x, y, 1)) << x << "," << y;
            ASSERT_EQ(bgr[0], Sample(x, y, 2)) << x << "," << y;
        }
    }
}

// The same for a 16-bit RGBA image whose sample bytes (high, low) are Sample(x, y, 0..7).
void ExpectRgba16Pixels(TPngGraphic& graphic) {
    TPngImage& image = graphic.Header().Image();
    for (uint32_t y = 0; y < image.height; ++y) {
        for (uint32_t x = 0; x < image.width; ++x) {
            const uint8_t* high = image.BitmapRow(y) + size_t(x) * 3;
            const uint8_t* low = image.LowRow(y) + size_t(x) * 3;
            for (unsigned c = 0; c < 3; ++c) {
                ASSERT_EQ(high[2 - c], Sample(x, y, 2 * c)) << x << "," << y;
                ASSERT_EQ(low[2 - c], Sample(x, y, 2 * c + 1)) << x << "," << y;
            }
            ASSERT_EQ(image.AlphaRow(y)[x], Sample(x, y, 6)) << x << "," << y;
        }
    }
}

TEST(PngRowsTest, LargeImagesDecodeWholeInEveryLayout) {
    // 1.2 MB of RGBA, far more than the decoder inflates at a time, in odd sizes.
    for (const bool interlaced : {false, true}) {
        for (const size_t piece : {size_t(65536), size_t(70001), size_t(1) << 24}) {
            const std::string file =
                File(613, 487, 8, 6, interlaced, Deflate(Filtered(613, 487, 4, interlaced)), piece);
            TPngGraphic graphic;
            Load(graphic, file);
            ExpectRgbaPixels(graphic);
            Load(graphic, File(613, 487, 8, 2, interlaced,
                               Deflate(Filtered(613, 487, 3, interlaced)), piece));
            ExpectRgbPixels(graphic);
        }
    }
    // Narrow images, the rows shorter than a step of the vectorised loops.
    for (uint32_t width = 1; width <= 9; ++width) {
        for (const bool interlaced : {false, true}) {
            TPngGraphic graphic;
            Load(graphic, File(width, 11, 8, 6, interlaced,
                               Deflate(Filtered(width, 11, 4, interlaced)), 65536));
            ExpectRgbaPixels(graphic);
            Load(graphic, File(width, 11, 8, 2, interlaced,
                               Deflate(Filtered(width, 11, 3, interlaced)), 65536));
            ExpectRgbPixels(graphic);
        }
    }
    // Rows of 256 KiB and of 512 KiB, the widest there are: few fit in one batch.
    TPngGraphic wide;
    for (const bool interlaced : {false, true}) {
        Load(wide,
             File(65535, 3, 8, 6, interlaced, Deflate(Filtered(65535, 3, 4, interlaced)), 65536));
        ExpectRgbaPixels(wide);
        Load(wide,
             File(65535, 3, 16, 6, interlaced, Deflate(Filtered(65535, 3, 8, interlaced)), 65536));
        ExpectRgba16Pixels(wide);
    }
}

TEST(PngRowsTest, AStreamEndingEarlyInALargeImageLeavesTheRestZero) {
    const uint32_t width = 500, height = 400;
    const std::string raw = Filtered(width, height, 4, false);
    const size_t line = size_t(width) * 4 + 1;
    // 300 rows and a half.
    TPngGraphic graphic;
    Load(graphic,
         File(width, height, 8, 6, false, Deflate(raw.substr(0, line * 300 + line / 2)), 65536));
    ExpectRgbaPixels(graphic, 300);
}

TEST(PngRowsTest, TheCheckValueOfTheStreamIsVerifiedWhenTheImageEndsWithIt) {
    const std::string raw = Filtered(61, 47, 4, true);
    const std::string stream = Deflate(raw);
    for (const size_t piece : {size_t(1), size_t(2), size_t(3), size_t(5), stream.size()}) {
        TPngGraphic graphic;
        Load(graphic, File(61, 47, 8, 6, true, stream, piece));
        ExpectRgbaPixels(graphic);
    }
    // The check value lies in the data read last; each of its bytes counts.
    for (size_t byte = 1; byte <= 4; ++byte) {
        std::string damaged = stream;
        damaged[damaged.size() - byte] ^= 0x20;
        for (const size_t piece : {damaged.size() - 12, damaged.size()}) {
            TPngGraphic graphic;
            try {
                Load(graphic, File(61, 47, 8, 6, true, damaged, piece));
                FAIL() << "a wrong check value was accepted " << piece << " " << byte;
            } catch (const EPNGZLIBError& error) {
                const std::string text = error.what();
                EXPECT_EQ(text.substr(text.size() - 20), "incorrect data check");
            }
        }
    }
    // Stream data beyond the image is not inflated, so its check value is never reached.
    std::string longer = Deflate(raw + std::string(100000, '\x01'));
    longer.back() ^= 1;
    TPngGraphic graphic;
    Load(graphic, File(61, 47, 8, 6, true, longer, 65536));
    ExpectRgbaPixels(graphic);
}

TEST(PngRowsTest, Adler32MatchesZlib) {
    std::mt19937 random(7);
    std::vector<uint8_t> data(200000);
    for (auto& byte : data) {
        byte = random() % 3 == 0 ? 255 : uint8_t(random());
    }
    for (const size_t size : {0, 1, 15, 16, 17, 63, 5551, 5552, 5553, 11104, 65536, 200000 - 7}) {
        for (const size_t offset : {0, 1, 7}) {
            for (const uint32_t start : {1u, 65520u << 16 | 65520u, 0x12345678u % 65521u}) {
                const uLong expected = adler32(start, data.data() + offset, uInt(size));
                EXPECT_EQ(Adler32(start, data.data() + offset, size), expected)
                    << size << " " << offset << " " << start;
            }
        }
    }
    const std::vector<uint8_t> ones(1 << 20, 255);
    EXPECT_EQ(Adler32(1, ones.data(), ones.size()), adler32(1, ones.data(), uInt(ones.size())));
}

TEST(PngRowsTest, Crc32MatchesZlib) {
    std::mt19937 random(9);
    std::vector<uint8_t> data(300000);
    for (auto& byte : data) {
        byte = uint8_t(random());
    }
    for (const size_t size : {0, 1, 63, 64, 255, 256, 257, 319, 320, 4096, 65535, 300000 - 7}) {
        for (const size_t offset : {0, 1, 7}) {
            for (const uint32_t start : {0u, 0x35AF4D5Eu, 0xFFFFFFFFu}) {
                const uLong expected = crc32(start, data.data() + offset, uInt(size));
                EXPECT_EQ(Crc32(start, data.data() + offset, size), expected)
                    << size << " " << offset << " " << start;
            }
        }
    }
}

// The filters as the standard states them, a byte at a time.
std::vector<uint8_t> ReferenceUnfilter(int type, std::vector<uint8_t> line,
                                       const std::vector<uint8_t>& above, size_t distance) {
    for (size_t i = 0; i < line.size(); ++i) {
        const int a = i >= distance ? line[i - distance] : 0;
        const int b = above[i];
        const int c = i >= distance ? above[i - distance] : 0;
        line[i] = uint8_t(line[i] + test::Predict(type, a, b, c));
    }
    return line;
}

TEST(PngRowsTest, UnfilteringMatchesTheStandardForEveryPixelSize) {
    std::mt19937 random(11);
    for (const size_t distance : {1, 2, 3, 4, 6, 8}) {
        for (int type = 0; type <= 6; ++type) {
            for (const size_t pixels : {1, 2, 3, 5, 16, 17, 100}) {
                for (int trial = 0; trial < 20; ++trial) {
                    const size_t bytes = pixels * distance;
                    // Few distinct values make ties between the predictors common.
                    const unsigned spread = trial % 2 ? 256 : 3;
                    std::vector<uint8_t> line(bytes), above(bytes);
                    for (size_t i = 0; i < bytes; ++i) {
                        line[i] = uint8_t(random() % spread * (trial % 4 < 2 ? 1 : 127));
                        above[i] = uint8_t(random() % spread * (trial % 4 < 2 ? 1 : 127));
                    }
                    const auto expected = ReferenceUnfilter(type, line, above, distance);
                    UnfilterScanline(uint8_t(type), line.data(), above.data(), bytes, distance);
                    ASSERT_EQ(line, expected) << distance << " " << type << " " << pixels;
                }
            }
        }
    }
}

// Any filtered data for an image of `bits` bits per pixel, with random filter types (above 4
// too).
std::string RandomFiltered(uint32_t width, uint32_t height, unsigned bits, bool interlaced,
                           std::mt19937& random) {
    std::string raw;
    const Pass* passes = interlaced ? kAdam7 : kPlain;
    for (int p = 0; p < (interlaced ? 7 : 1); ++p) {
        const Pass& pass = passes[p];
        if (width <= pass.x0 || height <= pass.y0) {
            continue;
        }
        const uint32_t columns = (width - pass.x0 + pass.dx - 1) / pass.dx;
        const size_t bytes = (size_t(columns) * bits + 7) / 8;
        for (uint32_t y = pass.y0; y < height; y += pass.dy) {
            raw += char(random() % 6);
            for (size_t i = 0; i < bytes; ++i) {
                // Runs of 0 and 255 give fully clear and fully opaque pixels.
                const unsigned pick = random() % 4;
                raw += char(pick == 0 ? 0 : pick == 1 ? 255 : random());
            }
        }
    }
    return raw;
}

std::vector<uint32_t> RandomCanvas(size_t pixels, std::mt19937& random) {
    std::vector<uint32_t> canvas(pixels);
    for (auto& pixel : canvas) {
        pixel = uint32_t(random());
    }
    return canvas;
}

TEST(PngRowsTest, DrawingAtNaturalSizeMatchesTheScalingPath) {
    struct Format {
        int colorType, depth;
    };
    const Format formats[] = {{0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {2, 8}, {2, 16}, {3, 1},
                              {3, 2}, {3, 4}, {3, 8}, {4, 8}, {4, 16}, {6, 8}, {6, 16}};
    std::mt19937 random(3);
    for (const Format& format : formats) {
        const unsigned channels = format.colorType == 2   ? 3
                                  : format.colorType == 4 ? 2
                                  : format.colorType == 6 ? 4
                                                          : 1;
        for (int variant = 0; variant < 6; ++variant) {
            const uint32_t width = 1 + random() % 40, height = 1 + random() % 12;
            const bool interlaced = variant % 2 == 1;
            std::string extra;
            const int entries = 1 << std::min(format.depth, 8);
            if (format.colorType == 3) {
                std::string palette;
                for (int i = 0; i < 3 * entries; ++i) {
                    palette += char(random());
                }
                extra += Chunk("PLTE", palette);
            }
            if (variant >= 2 && format.colorType != 4 && format.colorType != 6) {
                // Colour keys, and palette alpha for both bit and partial transparency.
                std::string alpha;
                const int count = format.colorType == 3   ? 1 + int(random() % entries)
                                  : format.colorType == 2 ? 6
                                                          : 2;
                for (int i = 0; i < count; ++i) {
                    alpha += char(variant == 2 ? 0 : random() % 3 == 0 ? 255 : random());
                }
                extra += Chunk("tRNS", alpha);
            }
            if (variant == 5) {
                extra = Chunk("gAMA", BigEndian(45455)) + extra;
            }
            std::string file = File(
                width, height, format.depth, format.colorType, interlaced,
                Deflate(RandomFiltered(width, height, channels * format.depth, interlaced, random)),
                65536);
            file.insert(33, extra);
            TPngGraphic graphic;
            Load(graphic, file);

            const int w = int(width), h = int(height);
            std::vector<uint32_t> natural = RandomCanvas(size_t(w) * h, random);
            // Drawn twice the size, destination pixel (2x, 2y) shows source pixel (x, y).
            std::vector<uint32_t> doubled = RandomCanvas(size_t(w) * h * 4, random);
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x) {
                    doubled[size_t(2 * y) * 2 * w + 2 * x] = natural[size_t(y) * w + x];
                }
            }
            // Clipped on every side: the canvas lacks 3 columns left, 2 right and 1 row above.
            const int clippedWidth = std::max(1, w - 5), clippedHeight = std::max(1, h - 1);
            std::vector<uint32_t> clipped(size_t(clippedWidth) * clippedHeight);
            for (int y = 0; y < clippedHeight; ++y) {
                for (int x = 0; x < clippedWidth; ++x) {
                    const int sx = x + 3, sy = y + 1;
                    clipped[size_t(y) * clippedWidth + x] =
                        sx < w && sy < h ? natural[size_t(sy) * w + sx] : 0x12345678u;
                }
            }
            const std::vector<uint32_t> before = clipped;

            DrawPngPixels(graphic, {natural.data(), w, h, w}, {0, 0, w, h});
            DrawPngPixels(graphic, {doubled.data(), 2 * w, 2 * h, 2 * w}, {0, 0, 2 * w, 2 * h});
            DrawPngPixels(graphic, {clipped.data(), clippedWidth, clippedHeight, clippedWidth},
                          {-3, -1, w - 3, h - 1});
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x) {
                    ASSERT_EQ(natural[size_t(y) * w + x], doubled[size_t(2 * y) * 2 * w + 2 * x])
                        << format.colorType << "/" << format.depth << " variant " << variant
                        << " at " << x << "," << y;
                }
            }
            for (int y = 0; y < clippedHeight; ++y) {
                for (int x = 0; x < clippedWidth; ++x) {
                    const int sx = x + 3, sy = y + 1;
                    const uint32_t expected = sx < w && sy < h
                                                  ? natural[size_t(sy) * w + sx]
                                                  : before[size_t(y) * clippedWidth + x];
                    ASSERT_EQ(clipped[size_t(y) * clippedWidth + x], expected)
                        << format.colorType << "/" << format.depth << " clipped at " << x << ","
                        << y;
                }
            }
        }
    }
}

}  // namespace
}  // namespace kelvara::png
