// 32-bit colour values as the highlighter attributes hold them: a plain colour keeps red in the
// lowest byte, then green, then blue, with a zero top byte; top byte 0xFF marks a system colour
// whose index (see system_colors.h) is the low byte; kColorNone means "paint in the view's own
// colour".
#pragma once

#include <cstdint>

namespace kelvara::highlight {

using ColorValue = std::uint32_t;

inline constexpr ColorValue kColorNone = 0x1FFFFFFF;

inline constexpr ColorValue RgbColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return static_cast<ColorValue>(red) | (static_cast<ColorValue>(green) << 8) |
           (static_cast<ColorValue>(blue) << 16);
}

inline constexpr bool IsSystemColor(ColorValue color) {
    return (color >> 24) == 0xFF;
}
inline constexpr bool IsPlainColor(ColorValue color) {
    return (color >> 24) == 0;
}

inline constexpr ColorValue SystemColor(int index) {
    return 0xFF000000u | (static_cast<ColorValue>(index) & 0xFFu);
}
inline constexpr int SystemColorIndex(ColorValue color) {
    return static_cast<int>(color & 0xFFu);
}

inline constexpr std::uint8_t RedOf(ColorValue color) {
    return color & 0xFFu;
}
inline constexpr std::uint8_t GreenOf(ColorValue color) {
    return (color >> 8) & 0xFFu;
}
inline constexpr std::uint8_t BlueOf(ColorValue color) {
    return (color >> 16) & 0xFFu;
}

// Font styles of an attribute: one byte of flags.
using FontStyles = std::uint8_t;
inline constexpr FontStyles kStyleBold = 1 << 0;
inline constexpr FontStyles kStyleItalic = 1 << 1;
inline constexpr FontStyles kStyleUnderline = 1 << 2;
inline constexpr FontStyles kStyleStrikeOut = 1 << 3;
inline constexpr FontStyles kStyleMask = 0x0F;

}  // namespace kelvara::highlight
