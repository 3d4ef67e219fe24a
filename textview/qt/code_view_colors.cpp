#include "textview/qt/code_view_colors.h"

#include <array>

#include "highlight/system_colors.h"

namespace kelvara::textview {

using namespace highlight;

QPalette::ColorRole PaletteRoleOfSystemColor(int index) {
    static constexpr std::array<QPalette::ColorRole, kSystemColorCount> kRoles = {
        QPalette::Button,           // scroll bar
        QPalette::Window,           // desktop
        QPalette::Highlight,        // active caption
        QPalette::Mid,              // inactive caption
        QPalette::Window,           // menu
        QPalette::Base,             // window
        QPalette::Shadow,           // window frame
        QPalette::WindowText,       // menu text
        QPalette::Text,             // window text
        QPalette::HighlightedText,  // caption text
        QPalette::Window,           // active border
        QPalette::Window,           // inactive border
        QPalette::Dark,             // application workspace
        QPalette::Highlight,        // highlight
        QPalette::HighlightedText,  // highlight text
        QPalette::Button,           // button face
        QPalette::Dark,             // button shadow
        QPalette::PlaceholderText,  // grey text
        QPalette::ButtonText,       // button text
        QPalette::WindowText,       // inactive caption text
        QPalette::Light,            // button highlight
        QPalette::Shadow,           // 3-D dark shadow
        QPalette::Midlight,         // 3-D light
        QPalette::ToolTipText,      // info text
        QPalette::ToolTipBase,      // info background
        QPalette::Base,             // (unassigned)
        QPalette::Link,             // hot light
        QPalette::Highlight,        // gradient active caption
        QPalette::Mid,              // gradient inactive caption
        QPalette::Highlight,        // menu highlight
        QPalette::Window,           // menu bar
    };
    if (index < 0 || index >= kSystemColorCount)
        return QPalette::Base;
    return kRoles[static_cast<size_t>(index)];
}

QColor ToQColor(ColorValue color, const QPalette& palette) {
    if (color == kColorNone)
        return QColor();
    if (IsSystemColor(color))
        return palette.color(PaletteRoleOfSystemColor(SystemColorIndex(color)));
    return QColor(RedOf(color), GreenOf(color), BlueOf(color));
}

}  // namespace kelvara::textview
