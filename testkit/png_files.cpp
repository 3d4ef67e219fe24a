#include "testkit/png_files.h"

#include <zlib.h>

#include <cmath>
#include <cstdlib>
#include <stdexcept>

namespace kelvara::test {

namespace {

std::string BigEndian(uint32_t value) {
    return {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
}

uint32_t ReadBigEndian(const std::string& s, size_t at) {
    return uint32_t(uint8_t(s[at])) << 24 | uint32_t(uint8_t(s[at + 1])) << 16 |
           uint32_t(uint8_t(s[at + 2])) << 8 | uint8_t(s[at + 3]);
}

struct Pass {
    uint32_t x0, y0, dx, dy;
};
const std::vector<Pass> kAdam7 = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                  {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
const std::vector<Pass> kPlain = {{0, 0, 1, 1}};

uint32_t Extent(uint32_t size, uint32_t first, uint32_t step) {
    return size > first ? (size - first + step - 1) / step : 0;
}

int ChannelsFor(int colorType) {
    return colorType == 2 ? 3 : colorType == 4 ? 2 : colorType == 6 ? 4 : 1;
}

// Packs samples of one pass row into scanline bytes.
std::string PackRow(const SampleImage& image, const Pass& pass, uint32_t y, uint32_t count) {
    const int depth = image.bitDepth;
    const int channels = image.Channels();
    std::string row;
    unsigned bits = 0, filled = 0;
    for (uint32_t i = 0; i < count; ++i) {
        for (int c = 0; c < channels; ++c) {
            const unsigned v = image.At(pass.x0 + i * pass.dx, y, c);
            if (depth == 16) {
                row += char(v >> 8);
                row += char(v);
            } else if (depth == 8) {
                row += char(v);
            } else {
                bits = bits << depth | v;
                filled += depth;
                if (filled == 8) {
                    row += char(bits);
                    bits = filled = 0;
                }
            }
        }
    }
    if (filled) {
        row += char(bits << (8 - filled));
    }
    return row;
}

struct ParsedFile {
    std::string ihdr, plte, trns, idat;
    bool hasTrns = false;
    uint32_t gammaAtPalette = 0, gammaAtData = 0, gamma = 0;
};

ParsedFile Parse(const std::string& file) {
    ParsedFile parsed;
    for (size_t at = 8; at + 8 <= file.size();) {
        const uint32_t length = ReadBigEndian(file, at);
        const std::string name = file.substr(at + 4, 4);
        const std::string data = file.substr(at + 8, length);
        if (name == "IHDR") {
            parsed.ihdr = data;
        } else if (name == "PLTE") {
            parsed.plte = data;
            parsed.gammaAtPalette = parsed.gamma;
        } else if (name == "tRNS") {
            parsed.trns = data;
            parsed.hasTrns = true;
        } else if (name == "gAMA") {
            parsed.gamma = ReadBigEndian(data, 0);
        } else if (name == "IDAT") {
            if (parsed.idat.empty()) {
                parsed.gammaAtData = parsed.gamma;
            }
            parsed.idat += data;
        }
        at += 12 + length;
    }
    return parsed;
}

// Unfilters and unpacks the image data into samples.
SampleImage Unpack(const ParsedFile& parsed) {
    SampleImage image;
    image.width = ReadBigEndian(parsed.ihdr, 0);
    image.height = ReadBigEndian(parsed.ihdr, 4);
    image.bitDepth = uint8_t(parsed.ihdr[8]);
    image.colorType = uint8_t(parsed.ihdr[9]);
    const bool interlaced = parsed.ihdr[12] == 1;
    image.samples.assign(size_t(image.width) * image.height * image.Channels(), 0);

    const int bitsPerPixel = image.Channels() * image.bitDepth;
    uLongf rawSize = uLongf(image.height) * (image.width * bitsPerPixel / 8 + 2) * 2 + 64;
    std::string raw(rawSize, '\0');
    if (uncompress(reinterpret_cast<Bytef*>(raw.data()), &rawSize,
                   reinterpret_cast<const Bytef*>(parsed.idat.data()),
                   uLong(parsed.idat.size())) != Z_OK) {
        throw std::runtime_error("reference: bad image data");
    }
    raw.resize(rawSize);
    const int bpp = std::max(1, bitsPerPixel / 8);
    size_t at = 0;
    for (const Pass& pass : interlaced ? kAdam7 : kPlain) {
        const uint32_t columns = Extent(image.width, pass.x0, pass.dx);
        const uint32_t rows = Extent(image.height, pass.y0, pass.dy);
        if (columns == 0 || rows == 0) {
            continue;
        }
        const size_t bytes = (size_t(columns) * bitsPerPixel + 7) / 8;
        std::vector<int> previous(bytes, 0), current(bytes);
        for (uint32_t r = 0; r < rows; ++r) {
            const int type = uint8_t(raw.at(at++));
            for (size_t i = 0; i < bytes; ++i) {
                const int left = i >= size_t(bpp) ? current[i - bpp] : 0;
                const int upLeft = i >= size_t(bpp) ? previous[i - bpp] : 0;
                current[i] =
                    (uint8_t(raw.at(at++)) + Predict(type, left, previous[i], upLeft)) & 255;
            }
            size_t bit = 0;
            for (uint32_t i = 0; i < columns; ++i) {
                for (int c = 0; c < image.Channels(); ++c) {
                    unsigned v;
                    if (image.bitDepth == 16) {
                        v = current[bit / 8] << 8 | current[bit / 8 + 1];
                    } else {
                        v = current[bit / 8] >> (8 - image.bitDepth - bit % 8) &
                            ((1 << image.bitDepth) - 1);
                    }
                    bit += image.bitDepth;
                    image.At(pass.x0 + i * pass.dx, pass.y0 + r * pass.dy, c) = uint16_t(v);
                }
            }
            previous = current;
        }
    }
    return image;
}

// A sample of any depth as an 8-bit level (16 bits: the high byte).
unsigned Level8(unsigned sample, int depth) {
    return depth == 16 ? sample >> 8 : sample * 255 / ((1u << depth) - 1);
}

unsigned Sample16(const std::string& s, size_t at) {
    return at + 1 < s.size() ? unsigned(uint8_t(s[at])) << 8 | uint8_t(s[at + 1]) : 0;
}

uint32_t Rgb(unsigned r, unsigned g, unsigned b) {
    return r << 16 | g << 8 | b;
}

uint32_t OverWhite(uint32_t colour, unsigned alpha) {
    uint32_t out = 0;
    for (int shift = 16; shift >= 0; shift -= 8) {
        const unsigned s = colour >> shift & 255;
        out |= ((s * alpha + (255 - alpha) * 255 + 255) >> 8) << shift;
    }
    return out;
}

}  // namespace

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

int SampleImage::Channels() const {
    return ChannelsFor(colorType);
}
uint16_t& SampleImage::At(uint32_t x, uint32_t y, int channel) {
    return samples[(size_t(y) * width + x) * Channels() + channel];
}
uint16_t SampleImage::At(uint32_t x, uint32_t y, int channel) const {
    return samples[(size_t(y) * width + x) * Channels() + channel];
}

std::string PngSignature() {
    return std::string("\x89PNG\r\n\x1a\n", 8);
}

std::string PngChunk(const std::string& name, const std::string& data) {
    const std::string body = name + data;
    const uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(body.data()), uInt(body.size()));
    return BigEndian(uint32_t(data.size())) + body + BigEndian(uint32_t(crc));
}

std::string IhdrData(uint32_t width, uint32_t height, int bitDepth, int colorType, int interlace,
                     int compression) {
    return BigEndian(width) + BigEndian(height) + char(bitDepth) + char(colorType) +
           char(compression) + char(0) + char(interlace);
}

std::string ZlibCompress(const std::string& raw) {
    uLongf size = compressBound(uLong(raw.size()));
    std::string out(size, '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &size,
              reinterpret_cast<const Bytef*>(raw.data()), uLong(raw.size()), 6);
    out.resize(size);
    return out;
}

SampleImage MakeSampleImage(uint32_t width, uint32_t height, int bitDepth, int colorType,
                            uint32_t seed) {
    SampleImage image;
    image.width = width;
    image.height = height;
    image.bitDepth = bitDepth;
    image.colorType = colorType;
    image.samples.resize(size_t(width) * height * image.Channels());
    uint32_t state = seed * 2654435761u + 1;
    for (auto& sample : image.samples) {
        state = state * 1664525u + 1013904223u;
        sample = uint16_t((state >> 8) & ((1u << bitDepth) - 1));
    }
    return image;
}

std::string FilteredImageData(const SampleImage& image, bool interlaced, int filterType) {
    std::string out;
    const int bpp = std::max(1, image.Channels() * image.bitDepth / 8);
    for (const Pass& pass : interlaced ? kAdam7 : kPlain) {
        const uint32_t columns = Extent(image.width, pass.x0, pass.dx);
        const uint32_t rows = Extent(image.height, pass.y0, pass.dy);
        if (columns == 0 || rows == 0) {
            continue;
        }
        std::string previous;
        for (uint32_t r = 0; r < rows; ++r) {
            const std::string row = PackRow(image, pass, pass.y0 + r * pass.dy, columns);
            if (previous.empty()) {
                previous.assign(row.size(), '\0');
            }
            const int type = filterType >= 0 ? filterType : int(r % 5);
            out += char(type);
            for (size_t i = 0; i < row.size(); ++i) {
                const int left = i >= size_t(bpp) ? uint8_t(row[i - bpp]) : 0;
                const int upLeft = i >= size_t(bpp) ? uint8_t(previous[i - bpp]) : 0;
                out += char(uint8_t(row[i]) - Predict(type, left, uint8_t(previous[i]), upLeft));
            }
            previous = row;
        }
    }
    return out;
}

std::string BuildPng(const SampleImage& image, bool interlaced, const std::string& chunksBeforeData,
                     size_t idatSize) {
    std::string file = PngSignature() +
                       PngChunk("IHDR", IhdrData(image.width, image.height, image.bitDepth,
                                                 image.colorType, interlaced ? 1 : 0)) +
                       chunksBeforeData;
    const std::string data = ZlibCompress(FilteredImageData(image, interlaced));
    for (size_t at = 0; at < data.size(); at += idatSize) {
        file += PngChunk("IDAT", data.substr(at, idatSize));
    }
    return file + PngChunk("IEND", "");
}

std::vector<uint8_t> ReferenceGamma(uint32_t fileGamma) {
    std::vector<uint8_t> table(256);
    for (int i = 0; i < 256; ++i) {
        table[i] =
            fileGamma == 0
                ? uint8_t(i)
                : uint8_t(std::nearbyint(255 * std::pow(i / 255.0, 100000.0 / fileGamma / 2.2)));
    }
    return table;
}

ExpectedPicture ReferenceOverWhite(const std::string& file) {
    const ParsedFile parsed = Parse(file);
    const SampleImage image = Unpack(parsed);
    const std::vector<uint8_t> gamma = ReferenceGamma(parsed.gammaAtData);
    const std::vector<uint8_t> paletteGamma = ReferenceGamma(parsed.gammaAtPalette);
    const std::string& trns = parsed.trns;
    const int depth = image.bitDepth;

    // Colour-key transparency: grey and RGB by the tRNS sample values, palettes with exactly
    // one non-opaque entry that is fully transparent.
    bool hasKey = false;
    uint32_t key = 0;
    std::vector<unsigned> alpha(256, 255);
    for (size_t i = 0; i < trns.size() && i < 256; ++i) {
        alpha[i] = uint8_t(trns[i]);
    }
    const auto paletteColour = [&](unsigned index) {
        if (index * 3 + 2 >= parsed.plte.size()) {
            throw std::runtime_error("reference: index beyond the palette");
        }
        return Rgb(paletteGamma[uint8_t(parsed.plte[index * 3])],
                   paletteGamma[uint8_t(parsed.plte[index * 3 + 1])],
                   paletteGamma[uint8_t(parsed.plte[index * 3 + 2])]);
    };
    bool blendPalette = false;
    if (parsed.hasTrns && image.colorType == 0) {
        const unsigned value = Sample16(trns, 0);
        hasKey = trns.size() >= 2 && value < (1u << depth);
        const unsigned level = gamma[Level8(value, depth)];
        key = Rgb(level, level, level);
    } else if (parsed.hasTrns && image.colorType == 2) {
        const auto channel = [&](int c) {
            const unsigned value = Sample16(trns, 2 * c);
            return gamma[depth == 16 ? value >> 8 : value & 255];
        };
        hasKey = trns.size() >= 6;
        key = Rgb(channel(0), channel(1), channel(2));
    } else if (parsed.hasTrns && image.colorType == 3) {
        int notOpaque = 0, clear = 0;
        for (char a : trns) {
            notOpaque += uint8_t(a) != 255;
            clear += uint8_t(a) == 0;
        }
        if (notOpaque == 1 && clear == 1) {
            for (unsigned i = 0; i < 256; ++i) {
                if (alpha[i] == 0) {
                    hasKey = true;
                    key = paletteColour(i);
                    break;
                }
            }
        } else {
            blendPalette = notOpaque > 0;
        }
    }

    ExpectedPicture picture{image.width, image.height, {}};
    for (uint32_t y = 0; y < image.height; ++y) {
        for (uint32_t x = 0; x < image.width; ++x) {
            const auto level = [&](int c) { return Level8(image.At(x, y, c), depth); };
            uint32_t colour = 0;
            switch (image.colorType) {
                case 0:
                    colour = Rgb(gamma[level(0)], gamma[level(0)], gamma[level(0)]);
                    break;
                case 2:
                    colour = Rgb(gamma[level(0)], gamma[level(1)], gamma[level(2)]);
                    break;
                case 3:
                    colour = paletteColour(image.At(x, y, 0));
                    if (blendPalette) {
                        colour = OverWhite(colour, alpha[image.At(x, y, 0)]);
                    }
                    break;
                case 4:
                    // Blended from the stored grey level, without gamma correction.
                    colour = OverWhite(Rgb(level(0), level(0), level(0)), level(1));
                    break;
                case 6:
                    colour =
                        OverWhite(Rgb(gamma[level(0)], gamma[level(1)], gamma[level(2)]), level(3));
                    break;
            }
            if (hasKey && colour == key) {
                colour = 0xFFFFFF;
            }
            picture.pixels.push_back(colour);
        }
    }
    return picture;
}

}  // namespace kelvara::test
