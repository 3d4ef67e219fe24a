// The decoded picture kept by the header chunk: a bottom-up bitmap with rows padded to 4 bytes,
// its palette, the alpha map and the low bytes of 16-bit samples.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "png/png_memory.h"

namespace kelvara::png {

struct TPaletteEntry {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    bool operator==(const TPaletteEntry&) const = default;
};

// Largest image whose stores are allocated: larger ones are refused before allocating.
constexpr uint64_t kPngMaxPixels = uint64_t(64) << 20;

struct TPngImage {
    uint32_t width = 0;
    uint32_t height = 0;
    // 1, 4, 8 (palette bitmaps) or 24 (blue, green, red).
    int bitmapBits = 0;
    size_t rowBytes = 0;
    TZeroedVector<uint8_t> bitmap;
    // Same layout as the bitmap; only for 16-bit samples.
    TZeroedVector<uint8_t> lowBytes;
    // One byte per pixel, top row first; only for colour types 4 and 6.
    TZeroedVector<uint8_t> alpha;
    // 2^bitmapBits entries for palette bitmaps, empty for 24-bit ones.
    std::vector<TPaletteEntry> palette;

    // Allocates zero-filled stores for the colour type and bit depth; the combination must be
    // valid. Raises EPNGOutMemory when the image is too large.
    void Prepare(uint32_t w, uint32_t h, uint8_t bitDepth, uint8_t colorType);

    // Bitmap row of image row y (image rows go top-down, bitmap rows bottom-up).
    uint8_t* BitmapRow(uint32_t y) { return bitmap.data() + (height - 1 - y) * rowBytes; }
    const uint8_t* BitmapRow(uint32_t y) const {
        return bitmap.data() + (height - 1 - y) * rowBytes;
    }
    uint8_t* LowRow(uint32_t y) { return lowBytes.data() + (height - 1 - y) * rowBytes; }
    uint8_t* AlphaRow(uint32_t y) { return alpha.data() + size_t(y) * width; }
    const uint8_t* AlphaRow(uint32_t y) const { return alpha.data() + size_t(y) * width; }

    // Replaces the palette by a grey ramp through the gamma table: entry i of n has the grey
    // gamma[i * 255 / (n - 1)], the index rounded half away from zero.
    void FillGreyRamp(const uint8_t* gamma);

    // Palette index of pixel (x, y) of a palette bitmap.
    unsigned IndexAt(uint32_t x, uint32_t y) const;
};

// True for the colour type and bit depth pairs of the PNG standard.
bool IsValidColorTypeAndDepth(uint8_t colorType, uint8_t bitDepth);

// The bitmap's bits per pixel for a valid pair.
int BitmapBitsFor(uint8_t colorType, uint8_t bitDepth);

// A 256-entry halftone palette: a 6x6x6 colour cube followed by a grey ramp.
TPaletteEntry HalftoneEntry(unsigned index);

}  // namespace kelvara::png
