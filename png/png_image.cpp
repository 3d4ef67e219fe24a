#include "png/png_image.h"

#include <new>

#include "png/png_errors.h"

namespace kelvara::png {

bool IsValidColorTypeAndDepth(uint8_t colorType, uint8_t bitDepth) {
    switch (colorType) {
        case 0:
            return bitDepth == 1 || bitDepth == 2 || bitDepth == 4 || bitDepth == 8 ||
                   bitDepth == 16;
        case 3:
            return bitDepth == 1 || bitDepth == 2 || bitDepth == 4 || bitDepth == 8;
        case 2:
        case 4:
        case 6:
            return bitDepth == 8 || bitDepth == 16;
        default:
            return false;
    }
}

int BitmapBitsFor(uint8_t colorType, uint8_t bitDepth) {
    if (colorType == 2 || colorType == 6) {
        return 24;
    }
    if (colorType == 4 || bitDepth >= 8) {
        return 8;
    }
    return bitDepth == 2 ? 4 : bitDepth;
}

TPaletteEntry HalftoneEntry(unsigned index) {
    if (index < 216) {
        const auto level = [](unsigned step) { return uint8_t(step * 51); };
        return {level(index % 6), level(index / 6 % 6), level(index / 36)};
    }
    const auto grey = uint8_t((index - 216) * 255 / 39);
    return {grey, grey, grey};
}

void TPngImage::Prepare(uint32_t w, uint32_t h, uint8_t bitDepth, uint8_t colorType) {
    if (uint64_t(w) * h > kPngMaxPixels) {
        throw EPNGOutMemory();
    }
    width = w;
    height = h;
    bitmapBits = BitmapBitsFor(colorType, bitDepth);
    rowBytes = (size_t(bitmapBits) * w + 31) / 32 * 4;
    try {
        AssignZeroed(bitmap, rowBytes * h);
        AssignZeroed(lowBytes, bitDepth == 16 ? bitmap.size() : 0);
        AssignZeroed(alpha, colorType == 4 || colorType == 6 ? size_t(w) * h : 0);
        palette.clear();
        if (bitmapBits <= 8) {
            palette.resize(size_t(1) << bitmapBits);
            for (unsigned i = 0; i < palette.size(); ++i) {
                palette[i] = HalftoneEntry(i);
            }
        }
    } catch (const std::bad_alloc&) {
        throw EPNGOutMemory();
    }
}

void TPngImage::FillGreyRamp(const uint8_t* gamma) {
    const size_t n = palette.size();
    for (size_t i = 0; i < n; ++i) {
        const uint8_t grey = gamma[n > 1 ? (i * 255 * 2 + (n - 1)) / (2 * (n - 1)) : 0];
        palette[i] = {grey, grey, grey};
    }
}

unsigned TPngImage::IndexAt(uint32_t x, uint32_t y) const {
    const uint8_t* row = BitmapRow(y);
    switch (bitmapBits) {
        case 1:
            return row[x >> 3] >> (7 - (x & 7)) & 1;
        case 4:
            return x & 1 ? row[x >> 1] & 15 : row[x >> 1] >> 4;
        default:
            return row[x];
    }
}

}  // namespace kelvara::png
