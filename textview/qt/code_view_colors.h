// Colour values of the highlighter attributes as Qt colours: plain colours by their red, green
// and blue bytes, system colours through the widget's palette.
#pragma once

#include <QColor>
#include <QPalette>

#include "highlight/color_values.h"

namespace kelvara::textview {

// The palette role that stands for a system colour index (Base for an unknown index).
QPalette::ColorRole PaletteRoleOfSystemColor(int index);

// An invalid QColor for kColorNone.
QColor ToQColor(highlight::ColorValue color, const QPalette& palette);

}  // namespace kelvara::textview
