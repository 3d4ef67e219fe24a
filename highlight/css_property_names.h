// The property names the style-sheet highlighter knows, as one comma-separated list.
#pragma once

namespace kelvara::highlight {

inline constexpr int kCssPropertyCount = 122;

extern const char kCssPropertyNames[];

}  // namespace kelvara::highlight
