#include "png/png_render.h"

#include <algorithm>
#include <vector>

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
