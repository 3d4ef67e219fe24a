// Drawing a TPngGraphic into a rectangle of a 32-bit pixel canvas (0xAARRGGBB words): a
// stretched copy, a copy with the transparent colour left out, or an alpha blend with the
// canvas, by the image's transparency mode.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "png/png_graphic.h"

namespace kelvara::png {

struct TPixelCanvas {
    uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    // Pixels from one row to the next.
    ptrdiff_t stride = 0;
};

// Right and bottom are exclusive; a reversed rectangle is normalised first.
struct TDrawRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// Draws the image scaled into the rectangle; the parts outside the canvas are clipped. An
// empty image or a rectangle without area draws nothing.
void DrawPngPixels(const TPngGraphic& graphic, const TPixelCanvas& canvas, TDrawRect rect);

// Pixels in rows of 0xAARRGGBB words, with no gap between rows.
struct TPixelImage {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};

// The image at its natural size drawn over opaque white; 0 x 0 without pixels for an empty
// graphic.
TPixelImage RenderPngPixelsOverWhite(const TPngGraphic& graphic);

// Rows [top, top + band.height) of the image at its natural size drawn over opaque white into
// `band`, whose width is the image's: the same pixels as those rows of
// RenderPngPixelsOverWhite, without a canvas of the whole image.
void RenderPngBandOverWhite(const TPngGraphic& graphic, int top, const TPixelCanvas& band);

// Red, green and blue bytes of 0xAARRGGBB pixels, as binary PPM files hold them.
void PixelsToRgb(const uint32_t* pixels, size_t count, uint8_t* rgb);

// The colour left out in bit mode, when there is one.
std::optional<TPaletteEntry> TransparentColour(const TPngGraphic& graphic);

// One channel of the blend: (source x alpha + (255 - alpha) x destination + 255) shr 8.
inline uint8_t BlendChannel(unsigned source, unsigned destination, unsigned alpha) {
    return uint8_t((source * alpha + (255 - alpha) * destination + 255) >> 8);
}

}  // namespace kelvara::png
