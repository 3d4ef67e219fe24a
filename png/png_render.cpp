#include "png/png_render.h"

#include <algorithm>
#include <cstring>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <tmmintrin.h>
#define KELVARA_PNG_SSSE3 1
#endif

namespace kelvara::png {

namespace {

uint32_t Opaque(const TPaletteEntry& colour) {
    return 0xFF000000u | uint32_t(colour.red) << 16 | uint32_t(colour.green) << 8 | colour.blue;
}

uint32_t Blend(const TPaletteEntry& source, uint32_t destination, unsigned alpha) {
    return Opaque({BlendChannel(source.red, destination >> 16 & 0xFF, alpha),
                   BlendChannel(source.green, destination >> 8 & 0xFF, alpha),
                   BlendChannel(source.blue, destination & 0xFF, alpha)});
}

// Source position for each destination position: trunc(d / (destination size / image size)).
std::vector<uint32_t> SourceMap(int from, int to, int destinationSize, uint32_t imageSize) {
    std::vector<uint32_t> map;
    map.reserve(size_t(std::max(0, to - from)));
    const double scale = double(destinationSize) / imageSize;
    for (int d = from; d < to; ++d) {
        const auto source = uint32_t(d / scale);
        map.push_back(std::min(source, imageSize - 1));
    }
    return map;
}

TPaletteEntry BitmapColour(const TPngImage& image, uint32_t x, uint32_t y) {
    if (image.bitmapBits == 24) {
        const uint8_t* pixel = image.BitmapRow(y) + size_t(x) * 3;
        return {pixel[2], pixel[1], pixel[0]};
    }
    return image.palette[image.IndexAt(x, y)];
}

// The colour and alpha of a pixel of an image drawn by blending.
struct TBlendSource {
    TPaletteEntry colour;
    unsigned alpha;
};

TBlendSource BlendSourceAt(const TPngImage& image, uint8_t colorType, const uint8_t* alphaValues,
                           uint32_t x, uint32_t y) {
    switch (colorType) {
        case 3: {
            const unsigned index = image.IndexAt(x, y);
            return {image.palette[index], alphaValues[index]};
        }
        case 4: {
            const uint8_t grey = image.BitmapRow(y)[x];
            return {{grey, grey, grey}, image.AlphaRow(y)[x]};
        }
        default:
            return {BitmapColour(image, x, y), image.AlphaRow(y)[x]};
    }
}

std::optional<TPaletteEntry> GreyKey(const TPngImage& image, uint8_t bitDepth,
                                     const std::vector<uint8_t>& data) {
    if (data.size() < 2) {
        return std::nullopt;
    }
    // The bitmap holds the high bytes of 16-bit samples and 2-bit samples times 5.
    unsigned index = bitDepth == 16 ? data[0] : data[1];
    if (bitDepth < 16 && data[0] != 0) {
        return std::nullopt;
    }
    if (bitDepth == 2) {
        index *= 5;
    }
    if (index >= image.palette.size()) {
        return std::nullopt;
    }
    return image.palette[index];
}

// ---- Unscaled drawing, a row at a time ----------------------------------------------------

#if defined(KELVARA_PNG_SSSE3)
bool HasSsse3() {
    static const bool has = __builtin_cpu_supports("ssse3");
    return has;
}

// Blends `count` pixels of a 24-bit row (blue, green, red) with their alpha values into the
// canvas, four at a time; returns how many were done. Fully opaque groups are copied and
// fully clear ones left alone.
__attribute__((target("ssse3"))) int BlendBgrRow(const uint8_t* bgr, const uint8_t* alpha,
                                                 uint32_t* out, int count) {
    // Blue, green, red into the low three bytes of each 32-bit pixel; the fourth byte is
    // filled in below.
    const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m128i opaque = _mm_set1_epi32(int(0xFF000000u));
    const __m128i zero = _mm_setzero_si128();
    const __m128i all = _mm_set1_epi16(255);
    // Each pixel's alpha in all four of its bytes.
    const __m128i broadcast = _mm_setr_epi8(0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3);
    int x = 0;
    // The 16-byte loads read four bytes past the four pixels, so the last pixels are left.
    for (; x + 6 <= count; x += 4) {
        uint32_t alphas;
        std::memcpy(&alphas, alpha + x, 4);
        if (alphas == 0) {
            continue;
        }
        const __m128i source = _mm_or_si128(
            _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bgr + 3 * x)),
                             spread),
            opaque);
        auto* target = reinterpret_cast<__m128i*>(out + x);
        if (alphas == 0xFFFFFFFFu) {
            _mm_storeu_si128(target, source);
            continue;
        }
        const __m128i destination = _mm_loadu_si128(target);
        const __m128i weights = _mm_shuffle_epi8(_mm_cvtsi32_si128(int(alphas)), broadcast);
        // Per byte: (source x alpha + (255 - alpha) x destination + 255) shr 8, in 16 bits.
        const auto half = [&](__m128i s, __m128i d, __m128i a) {
            const __m128i kept = _mm_sub_epi16(all, a);
            return _mm_srli_epi16(
                _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(s, a), _mm_mullo_epi16(d, kept)), all),
                8);
        };
        const __m128i low =
            half(_mm_unpacklo_epi8(source, zero), _mm_unpacklo_epi8(destination, zero),
                 _mm_unpacklo_epi8(weights, zero));
        const __m128i high =
            half(_mm_unpackhi_epi8(source, zero), _mm_unpackhi_epi8(destination, zero),
                 _mm_unpackhi_epi8(weights, zero));
        // A pixel with alpha 0 keeps the canvas as it was (the blend gives back each of its
        // bytes); every other one becomes opaque.
        const __m128i touched = _mm_andnot_si128(_mm_cmpeq_epi32(weights, zero), opaque);
        _mm_storeu_si128(target, _mm_or_si128(_mm_packus_epi16(low, high), touched));
    }
    return x;
}

// Red, green, blue bytes of 32-bit pixels, four at a time; returns how many were done.
__attribute__((target("ssse3"))) size_t PackRgb(const uint32_t* pixels, size_t count,
                                                uint8_t* rgb) {
    const __m128i order = _mm_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1);
    size_t i = 0;
    // Each 16-byte store reaches four bytes past its pixels, which the next one overwrites.
    for (; i + 6 <= count; i += 4) {
        const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(rgb + 3 * i), _mm_shuffle_epi8(four, order));
    }
    return i;
}

// Opaque pixels from a 24-bit row, four at a time; returns how many were done.
__attribute__((target("ssse3"))) int CopyBgrRow(const uint8_t* bgr, uint32_t* out, int count) {
    const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m128i opaque = _mm_set1_epi32(int(0xFF000000u));
    int x = 0;
    for (; x + 6 <= count; x += 4) {
        const __m128i source = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bgr + 3 * x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x),
                         _mm_or_si128(_mm_shuffle_epi8(source, spread), opaque));
    }
    return x;
}
#endif

uint32_t BlendPixel(uint32_t colour, uint32_t destination, unsigned alpha) {
    if (alpha == 255) {
        return colour;
    }
    if (alpha == 0) {
        return destination;
    }
    return Blend({uint8_t(colour >> 16), uint8_t(colour >> 8), uint8_t(colour)}, destination,
                 alpha);
}

// Draws image row y, columns [from, to), onto canvas pixels out[from..to) at natural size.
// Pixels come in as opaque 0xAARRGGBB colours; `key` is the colour left out in bit mode.
struct TRowDrawer {
    const TPngImage& image;
    uint8_t colorType;
    TPngTransparencyMode mode;
    std::optional<uint32_t> key;
    // Opaque colour and alpha of each palette index (palette bitmaps only).
    std::vector<uint32_t> colours;
    const uint8_t* alphaValues;

    void Draw(uint32_t y, int from, int to, uint32_t* out) const {
        const bool partial = mode == TPngTransparencyMode::Partial;
        if (image.bitmapBits == 24) {
            const uint8_t* bgr = image.BitmapRow(y);
            int x = from;
            if (partial) {
                const uint8_t* alpha = image.AlphaRow(y);
#if defined(KELVARA_PNG_SSSE3)
                if (HasSsse3()) {
                    x += BlendBgrRow(bgr + 3 * x, alpha + x, out + x, to - x);
                }
#endif
                for (; x < to; ++x) {
                    out[x] = BlendPixel(Bgr(bgr + 3 * x), out[x], alpha[x]);
                }
                return;
            }
#if defined(KELVARA_PNG_SSSE3)
            if (!key && HasSsse3()) {
                x += CopyBgrRow(bgr + 3 * x, out + x, to - x);
            }
#endif
            for (; x < to; ++x) {
                const uint32_t colour = Bgr(bgr + 3 * x);
                if (!key || colour != *key) {
                    out[x] = colour;
                }
            }
            return;
        }
        if (colorType == 4) {
            // Grey with alpha blends the stored grey byte itself.
            const uint8_t* grey = image.BitmapRow(y);
            const uint8_t* alpha = image.AlphaRow(y);
            for (int x = from; x < to; ++x) {
                out[x] = BlendPixel(0xFF000000u | grey[x] * 0x010101u, out[x], alpha[x]);
            }
            return;
        }
        for (int x = from; x < to; ++x) {
            const unsigned index = image.IndexAt(uint32_t(x), y);
            const uint32_t colour = colours[index];
            if (partial) {
                out[x] = BlendPixel(colour, out[x], alphaValues[index]);
            } else if (!key || colour != *key) {
                out[x] = colour;
            }
        }
    }

    static uint32_t Bgr(const uint8_t* pixel) {
        return 0xFF000000u | uint32_t(pixel[2]) << 16 | uint32_t(pixel[1]) << 8 | pixel[0];
    }
};

}  // namespace

std::optional<TPaletteEntry> TransparentColour(const TPngGraphic& graphic) {
    const TChunktRNS* transparency = graphic.FindChunk<TChunktRNS>();
    if (!transparency || !graphic.HasHeader()) {
        return std::nullopt;
    }
    const TChunkIHDR& header = graphic.Header();
    const TPngImage& image = header.Image();
    const std::vector<uint8_t>& data = transparency->Data();
    switch (header.ColorType()) {
        case 0:
            return GreyKey(image, header.BitDepth(), data);
        case 2: {
            if (data.size() < 6) {
                return std::nullopt;
            }
            const auto& gamma = graphic.GammaTable();
            // 16-bit images keep the high bytes in the bitmap, 8-bit ones the low bytes.
            const int low = header.BitDepth() == 16 ? 0 : 1;
            return TPaletteEntry{gamma[data[low]], gamma[data[2 + low]], gamma[data[4 + low]]};
        }
        case 3: {
            const auto& alpha = transparency->AlphaValues();
            for (size_t i = 0; i < image.palette.size(); ++i) {
                if (alpha[i] == 0) {
                    return image.palette[i];
                }
            }
            return std::nullopt;
        }
        default:
            return std::nullopt;
    }
}

void DrawPngPixels(const TPngGraphic& graphic, const TPixelCanvas& canvas, TDrawRect rect) {
    if (graphic.Empty() || !graphic.HasHeader() || !canvas.pixels) {
        return;
    }
    const TChunkIHDR& header = graphic.Header();
    const TPngImage& image = header.Image();
    if (image.width == 0 || image.height == 0 || image.bitmap.empty()) {
        return;
    }
    if (rect.left > rect.right) {
        std::swap(rect.left, rect.right);
    }
    if (rect.top > rect.bottom) {
        std::swap(rect.top, rect.bottom);
    }
    const int rectWidth = rect.right - rect.left;
    const int rectHeight = rect.bottom - rect.top;
    if (rectWidth == 0 || rectHeight == 0) {
        return;
    }
    // The visible part, in rectangle coordinates.
    const int fromX = std::max(0, -rect.left);
    const int toX = std::min(rectWidth, canvas.width - rect.left);
    const int fromY = std::max(0, -rect.top);
    const int toY = std::min(rectHeight, canvas.height - rect.top);
    if (fromX >= toX || fromY >= toY) {
        return;
    }
    const std::vector<uint32_t> columns = SourceMap(fromX, toX, rectWidth, image.width);
    const std::vector<uint32_t> rows = SourceMap(fromY, toY, rectHeight, image.height);

    const TPngTransparencyMode mode = graphic.TransparencyMode();
    const std::optional<TPaletteEntry> key =
        mode == TPngTransparencyMode::Bit ? TransparentColour(graphic) : std::nullopt;
    const TChunktRNS* transparency = graphic.FindChunk<TChunktRNS>();
    const std::array<uint8_t, 256> opaque = [] {
        std::array<uint8_t, 256> all;
        all.fill(255);
        return all;
    }();
    const uint8_t* alphaValues = transparency ? transparency->AlphaValues().data() : opaque.data();
    const uint8_t colorType = header.ColorType();

    if (uint32_t(rectWidth) == image.width && uint32_t(rectHeight) == image.height) {
        // At natural size every row is drawn straight from the stores.
        TRowDrawer drawer{image, colorType, mode, std::nullopt, {}, alphaValues};
        if (key) {
            drawer.key = Opaque(*key);
        }
        for (const TPaletteEntry& entry : image.palette) {
            drawer.colours.push_back(Opaque(entry));
        }
        for (int y = fromY; y < toY; ++y) {
            uint32_t* out = canvas.pixels + ptrdiff_t(rect.top + y) * canvas.stride + rect.left;
            drawer.Draw(uint32_t(y), fromX, toX, out);
        }
        return;
    }

    for (int y = fromY; y < toY; ++y) {
        uint32_t* out = canvas.pixels + ptrdiff_t(rect.top + y) * canvas.stride + rect.left;
        const uint32_t sourceY = rows[size_t(y - fromY)];
        for (int x = fromX; x < toX; ++x) {
            const uint32_t sourceX = columns[size_t(x - fromX)];
            if (mode == TPngTransparencyMode::Partial) {
                const TBlendSource source =
                    BlendSourceAt(image, colorType, alphaValues, sourceX, sourceY);
                if (source.alpha == 255) {
                    out[x] = Opaque(source.colour);
                } else if (source.alpha != 0) {
                    out[x] = Blend(source.colour, out[x], source.alpha);
                }
                continue;
            }
            const TPaletteEntry colour = BitmapColour(image, sourceX, sourceY);
            if (!key || !(colour == *key)) {
                out[x] = Opaque(colour);
            }
        }
    }
}

void RenderPngBandOverWhite(const TPngGraphic& graphic, int top, const TPixelCanvas& band) {
    std::fill(band.pixels, band.pixels + band.stride * band.height, 0xFFFFFFFFu);
    const int width = int(graphic.Width());
    const int height = int(graphic.Height());
    DrawPngPixels(graphic, band, {0, -top, width, height - top});
}

void PixelsToRgb(const uint32_t* pixels, size_t count, uint8_t* rgb) {
    size_t i = 0;
#if defined(KELVARA_PNG_SSSE3)
    if (HasSsse3()) {
        i = PackRgb(pixels, count, rgb);
    }
#endif
    for (; i < count; ++i) {
        rgb[3 * i] = uint8_t(pixels[i] >> 16);
        rgb[3 * i + 1] = uint8_t(pixels[i] >> 8);
        rgb[3 * i + 2] = uint8_t(pixels[i]);
    }
}

TPixelImage RenderPngPixelsOverWhite(const TPngGraphic& graphic) {
    TPixelImage image;
    // A loaded header never exceeds the pixel limit; the check keeps the canvas bounded anyway.
    if (graphic.Empty() || graphic.Width() == 0 || graphic.Height() == 0 ||
        uint64_t(graphic.Width()) * graphic.Height() > kPngMaxPixels) {
        return image;
    }
    image.width = int(graphic.Width());
    image.height = int(graphic.Height());
    image.pixels.assign(size_t(image.width) * size_t(image.height), 0xFFFFFFFFu);
    DrawPngPixels(graphic, {image.pixels.data(), image.width, image.height, image.width},
                  {0, 0, image.width, image.height});
    return image;
}

}  // namespace kelvara::png
