// Drawing a TPngGraphic with Qt.
#pragma once

#include <QImage>
#include <QRect>

#include "png/png_graphic.h"

class QPainter;

namespace kelvara::png {

// Draws the image into the rectangle of a canvas image: a stretched copy, the transparent
// colour left out, or blended with the canvas's pixels, by the image's transparency mode.
// The canvas keeps its format; it is treated as opaque.
void DrawPng(const TPngGraphic& graphic, QImage& canvas, const QRect& rect);

// The same onto any paint device. The image is rendered into a layer with per-pixel alpha
// that the painter composes; the exact blend of the QImage overload needs the canvas's pixels.
void DrawPng(const TPngGraphic& graphic, QPainter& painter, const QRect& rect);

// The image at its natural size drawn over white (a null image for an empty graphic).
QImage RenderPngOverWhite(const TPngGraphic& graphic);

}  // namespace kelvara::png
