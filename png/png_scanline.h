// Per-scanline steps of PNG decoding: undoing a row filter and converting the unfiltered
// samples into the internal image.
#pragma once

#include <cstddef>
#include <cstdint>

#include "png/png_image.h"

namespace kelvara::png {

// Undoes filter `type` on line (without its filter byte) given the previous unfiltered line;
// leftDistance is the bytes per complete pixel (at least 1). Type 0 and types above 4 leave
// the line unchanged.
void UnfilterScanline(uint8_t type, uint8_t* line, const uint8_t* previous, size_t bytes,
                      size_t leftDistance);

// Places `count` pixels of an unfiltered scanline into image row y at columns
// firstColumn, firstColumn + columnStep, ...
struct TScanlineConverter {
    TPngImage& image;
    const uint8_t* gamma;
    uint8_t colorType;
    uint8_t bitDepth;
    bool gammaIsIdentity = false;

    void Convert(const uint8_t* line, uint32_t count, uint32_t y, uint32_t firstColumn,
                 uint32_t columnStep) const;

  private:
    void ConvertIndexed(const uint8_t* line, uint32_t count, uint32_t y, uint32_t x0,
                        uint32_t dx) const;
    void ConvertColour(const uint8_t* line, uint32_t count, uint32_t y, uint32_t x0,
                       uint32_t dx) const;
    void ConvertGreyAlpha(const uint8_t* line, uint32_t count, uint32_t y, uint32_t x0,
                          uint32_t dx) const;
};

// Samples per pixel of a colour type.
unsigned ChannelsOf(uint8_t colorType);

}  // namespace kelvara::png
