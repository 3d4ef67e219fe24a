// Any bytes as a PNG stream: loading fails with one of the decoder's errors or succeeds, and a
// loaded image draws into a small canvas in every mode.
#include <QImage>
#include <sstream>

#include "png/png_errors.h"
#include "png/png_graphic.h"
#include "png/qt/png_draw.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kelvara::png;
    std::istringstream stream(std::string(reinterpret_cast<const char*>(data), size));
    TPngGraphic graphic;
    try {
        graphic.LoadFromStream(stream);
    } catch (const std::exception&) {
        return 0;
    }
    if (graphic.Width() * static_cast<uint64_t>(graphic.Height()) > (1u << 22))
        return 0;
    QImage canvas(37, 23, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    DrawPng(graphic, canvas, QRect(0, 0, 37, 23));
    DrawPng(graphic, canvas, QRect(5, 5, 0, 10));
    RenderPngOverWhite(graphic);
    return 0;
}
