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

// Inflating many rows per call lets zlib resolve most back-references inside the output
// instead of through its own window, and keeps its slow path at the end of a call rare. The
// buffer is bounded whatever the image's size: the compressed stream is never held whole, and
// each row is unfiltered and placed as soon as its batch has arrived.
constexpr size_t kBatchBytes = size_t(1) << 20;

// Where a row stands in the inflated stream: its pass, and the row within the pass.
struct TRowPosition {
    int pass = 0;
    uint32_t row = 0;
};

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
    const bool interlaced = header.InterlaceMethod() == 1;
    const TPass* passes = interlaced ? kAdam7 : kWholeImage;
    const int passCount = interlaced ? 7 : 1;

    // Rows, columns and bytes per row (with the filter byte) of each pass; empty passes have
    // no rows at all.
    uint32_t passRows[7] = {};
    uint32_t passColumns[7] = {};
    size_t passLine[7] = {};
    uint64_t totalBytes = 0;
    size_t widestLine = 1;
    for (int p = 0; p < passCount; ++p) {
        const TPass& pass = passes[p];
        passColumns[p] = PassExtent(image.width, pass.firstColumn, pass.columnStep);
        passRows[p] = PassExtent(image.height, pass.firstRow, pass.rowStep);
        if (passColumns[p] == 0) {
            passRows[p] = 0;
        }
        passLine[p] = ScanlineBytes(passColumns[p], bitsPerPixel) + 1;
        totalBytes += uint64_t(passLine[p]) * passRows[p];
        widestLine = std::max(widestLine, passLine[p]);
    }
    const size_t batchBytes =
        std::max(widestLine, size_t(std::min<uint64_t>(totalBytes, kBatchBytes)));
    std::vector<uint8_t> batch(batchBytes);
    // The last row of the previous batch, unfiltered, and the zero row above each pass.
    std::vector<uint8_t> carried(widestLine);
    const std::vector<uint8_t> zeros(widestLine);

    const auto& gamma = graphic.GammaTable();
    bool identity = true;
    for (unsigned i = 0; i < gamma.size(); ++i) {
        identity = identity && gamma[i] == i;
    }
    const TScanlineConverter converter{image, gamma.data(), colorType, bitDepth, identity};
    TIdatReader reader(input, length);

    // Moves to the next row of the stream, over passes without rows.
    const auto advance = [&](TRowPosition& at) {
        if (++at.row >= passRows[at.pass]) {
            at.row = 0;
            ++at.pass;
        }
        while (at.pass < passCount && passRows[at.pass] == 0) {
            ++at.pass;
        }
    };
    TRowPosition next;
    while (next.pass < passCount && passRows[next.pass] == 0) {
        ++next.pass;
    }
    // Unfilters and places the complete rows among the first `available` bytes of the batch.
    const auto placeRows = [&](TRowPosition at, size_t available) {
        size_t offset = 0;
        const uint8_t* above = nullptr;
        while (at.pass < passCount && offset + passLine[at.pass] <= available) {
            const size_t lineBytes = passLine[at.pass];
            uint8_t* line = batch.data() + offset;
            if (at.row == 0) {
                above = zeros.data();
            } else if (!above) {
                above = carried.data();
            }
            UnfilterScanline(line[0], line + 1, above + 1, lineBytes - 1, leftDistance);
            const TPass& pass = passes[at.pass];
            converter.Convert(line + 1, passColumns[at.pass], pass.firstRow + at.row * pass.rowStep,
                              pass.firstColumn, pass.columnStep);
            above = line;
            offset += lineBytes;
            advance(at);
        }
        return std::pair{at, offset};
    };

    while (next.pass < passCount) {
        // Whole rows only, as many as fit.
        size_t wanted = 0;
        for (TRowPosition at = next; at.pass < passCount;) {
            const size_t lineBytes = passLine[at.pass];
            if (wanted + lineBytes > batchBytes) {
                break;
            }
            wanted += lineBytes;
            advance(at);
        }
        size_t produced = 0;
        try {
            produced = reader.Inflate(batch.data(), wanted);
        } catch (...) {
            // The rows that arrived before the error stay placed.
            placeRows(next, reader.Produced());
            throw;
        }
        const auto [after, used] = placeRows(next, produced);
        if (produced < wanted) {
            // The stream ended early: the rest of the image stays zero.
            break;
        }
        if (after.pass < passCount && after.row > 0) {
            const size_t lineBytes = passLine[after.pass];
            std::copy(batch.data() + used - lineBytes, batch.data() + used, carried.data());
        }
        next = after;
    }
    reader.Finish();
}

}  // namespace kelvara::png
