#include "png/png_image_data.h"

#include <algorithm>
#include <vector>

#include "png/png_graphic.h"
#include "png/png_idat_reader.h"
#include "png/png_scanline.h"

namespace kelvara::png {

namespace {

struct TPass {
    uint32_t firstColumn, firstRow, columnStep, rowStep;
};

// The seven passes of Adam7, and the single pass of a non-interlaced image.
constexpr TPass kAdam7[7] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                             {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
constexpr TPass kWholeImage[1] = {{0, 0, 1, 1}};

uint32_t PassExtent(uint32_t size, uint32_t first, uint32_t step) {
    return size > first ? (size - first + step - 1) / step : 0;
}

size_t ScanlineBytes(uint32_t pixels, unsigned bitsPerPixel) {
    return (size_t(pixels) * bitsPerPixel + 7) / 8;
}

}  // namespace

void DecodeImageData(TPngGraphic& graphic, TPngInput& input, uint32_t length) {
    TChunkIHDR& header = graphic.Header();
    TPngImage& image = header.Image();
    const uint8_t colorType = header.ColorType();
    const uint8_t bitDepth = header.BitDepth();
    if (colorType == 0 || colorType == 4) {
        image.FillGreyRamp(graphic.GammaTable().data());
    }

    const unsigned bitsPerPixel = ChannelsOf(colorType) * bitDepth;
    const size_t leftDistance = std::max(1u, bitsPerPixel / 8);
    const size_t widestLine = ScanlineBytes(image.width, bitsPerPixel);
    std::vector<uint8_t> current(widestLine + 1);
    std::vector<uint8_t> previous(widestLine + 1);
    uint8_t* line = current.data();
    uint8_t* above = previous.data();

    const auto& gamma = graphic.GammaTable();
    bool identity = true;
    for (unsigned i = 0; i < gamma.size(); ++i) {
        identity = identity && gamma[i] == i;
    }
    const TScanlineConverter converter{image, gamma.data(), colorType, bitDepth, identity};
    TIdatReader reader(input, length);
    const bool interlaced = header.InterlaceMethod() == 1;
    const TPass* passes = interlaced ? kAdam7 : kWholeImage;
    const int passCount = interlaced ? 7 : 1;

    bool streamEnded = false;
    for (int p = 0; p < passCount && !streamEnded; ++p) {
        const TPass& pass = passes[p];
        const uint32_t columns = PassExtent(image.width, pass.firstColumn, pass.columnStep);
        const uint32_t rows = PassExtent(image.height, pass.firstRow, pass.rowStep);
        if (columns == 0 || rows == 0) {
            continue;
        }
        const size_t bytes = ScanlineBytes(columns, bitsPerPixel);
        std::fill(above, above + bytes + 1, 0);
        for (uint32_t r = 0; r < rows; ++r) {
            if (!reader.Inflate(line, bytes + 1)) {
                // The rest of the image stays zero.
                streamEnded = true;
                break;
            }
            UnfilterScanline(line[0], line + 1, above + 1, bytes, leftDistance);
            converter.Convert(line + 1, columns, pass.firstRow + r * pass.rowStep, pass.firstColumn,
                              pass.columnStep);
            std::swap(line, above);
        }
    }
    reader.Finish();
}

}  // namespace kelvara::png
