#include "png/qt/png_draw.h"

#include <QPainter>

#include <algorithm>
#include <memory>

#include "png/png_render.h"

namespace kelvara::png {

namespace {

void DrawOnRgb32(const TPngGraphic& graphic, QImage& canvas, const QRect& rect) {
    const TPixelCanvas pixels{reinterpret_cast<uint32_t*>(canvas.bits()), canvas.width(),
                              canvas.height(), canvas.bytesPerLine() / 4};
    DrawPngPixels(
        graphic, pixels,
        {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()});
}

// Renders the image's own pixels into a layer of the rectangle's size; what the canvas would
// show through is left transparent. The image is drawn once over black and once over white: the two
// results give each pixel's alpha and colour (to rounding).
QImage RenderLayer(const TPngGraphic& graphic, const QSize& size) {
    QImage overBlack(size, QImage::Format_RGB32);
    QImage overWhite(size, QImage::Format_RGB32);
    overBlack.fill(Qt::black);
    overWhite.fill(Qt::white);
    const QRect area(QPoint(0, 0), size);
    DrawOnRgb32(graphic, overBlack, area);
    DrawOnRgb32(graphic, overWhite, area);
    QImage layer(size, QImage::Format_ARGB32);
    for (int y = 0; y < size.height(); ++y) {
        const auto* black = reinterpret_cast<const QRgb*>(overBlack.constScanLine(y));
        const auto* white = reinterpret_cast<const QRgb*>(overWhite.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(layer.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            // Over black a pixel shows source x alpha, over white that plus 255 - alpha.
            const int alpha = 255 - (qRed(white[x]) - qRed(black[x]));
            const auto unblend = [alpha](int value) {
                return alpha == 0 ? 0 : std::min(255, (value * 255 + alpha / 2) / alpha);
            };
            out[x] = qRgba(unblend(qRed(black[x])), unblend(qGreen(black[x])),
                           unblend(qBlue(black[x])), std::clamp(alpha, 0, 255));
        }
    }
    return layer;
}

}  // namespace

void DrawPng(const TPngGraphic& graphic, QImage& canvas, const QRect& rect) {
    if (graphic.Empty() || canvas.isNull()) {
        return;
    }
    const QImage::Format format = canvas.format();
    if (format == QImage::Format_RGB32 || format == QImage::Format_ARGB32) {
        DrawOnRgb32(graphic, canvas, rect);
        return;
    }
    QImage working = canvas.convertToFormat(QImage::Format_RGB32);
    DrawOnRgb32(graphic, working, rect);
    canvas = working.convertToFormat(format);
}

void DrawPng(const TPngGraphic& graphic, QPainter& painter, const QRect& rect) {
    const QRect area = rect.normalized();
    if (graphic.Empty() || area.isEmpty()) {
        return;
    }
    painter.drawImage(area.topLeft(), RenderLayer(graphic, area.size()));
}

QImage RenderPngOverWhite(const TPngGraphic& graphic) {
    auto rendered = std::make_unique<TPixelImage>(RenderPngPixelsOverWhite(graphic));
    if (rendered->pixels.empty()) {
        return {};
    }
    // The image takes over the pixel buffer instead of copying it.
    TPixelImage* owner = rendered.get();
    QImage image(
        reinterpret_cast<uchar*>(owner->pixels.data()), owner->width, owner->height,
        qsizetype(owner->width) * 4, QImage::Format_RGB32,
        [](void* info) { delete static_cast<TPixelImage*>(info); }, owner);
    if (!image.isNull()) {
        rendered.release();
    }
    return image;
}

}  // namespace kelvara::png
