// Indices of the system colours that colour values with top byte 0xFF refer to. The numbering
// is the classic desktop one, which stored colour values use; the text view maps each index to
// a palette role of its own toolkit.
#pragma once

#include <string_view>

#include "highlight/color_values.h"

namespace kelvara::highlight {

enum SystemColorIndexes : int {
    kSysColorScrollBar = 0,
    kSysColorDesktop = 1,
    kSysColorActiveCaption = 2,
    kSysColorInactiveCaption = 3,
    kSysColorMenu = 4,
    kSysColorWindow = 5,
    kSysColorWindowFrame = 6,
    kSysColorMenuText = 7,
    kSysColorWindowText = 8,
    kSysColorCaptionText = 9,
    kSysColorActiveBorder = 10,
    kSysColorInactiveBorder = 11,
    kSysColorAppWorkspace = 12,
    kSysColorHighlight = 13,
    kSysColorHighlightText = 14,
    kSysColorButtonFace = 15,
    kSysColorButtonShadow = 16,
    kSysColorGrayText = 17,
    kSysColorButtonText = 18,
    kSysColorInactiveCaptionText = 19,
    kSysColorButtonHighlight = 20,
    kSysColorDarkShadow3D = 21,
    kSysColorLight3D = 22,
    kSysColorInfoText = 23,
    kSysColorInfoBackground = 24,
    // 25 is unassigned.
    kSysColorHotLight = 26,
    kSysColorGradientActiveCaption = 27,
    kSysColorGradientInactiveCaption = 28,
    kSysColorMenuHighlight = 29,
    kSysColorMenuBar = 30,
};

inline constexpr int kSystemColorCount = 31;

// A short lower-case name of the system colour ("window", "highlight", "menu-highlight"...),
// or "" for an index that names none.
std::string_view SystemColorName(int index);

}  // namespace kelvara::highlight
