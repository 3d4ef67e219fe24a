#include "highlight/system_colors.h"

#include <array>

namespace kelvara::highlight {

std::string_view SystemColorName(int index) {
    static constexpr std::array<std::string_view, kSystemColorCount> kNames = {
        "scroll-bar",
        "desktop",
        "active-caption",
        "inactive-caption",
        "menu",
        "window",
        "window-frame",
        "menu-text",
        "window-text",
        "caption-text",
        "active-border",
        "inactive-border",
        "app-workspace",
        "highlight",
        "highlight-text",
        "button-face",
        "button-shadow",
        "gray-text",
        "button-text",
        "inactive-caption-text",
        "button-highlight",
        "3d-dark-shadow",
        "3d-light",
        "info-text",
        "info-background",
        "",
        "hot-light",
        "gradient-active-caption",
        "gradient-inactive-caption",
        "menu-highlight",
        "menu-bar",
    };
    if (index < 0 || index >= kSystemColorCount) {
        return {};
    }
    return kNames[static_cast<size_t>(index)];
}

}  // namespace kelvara::highlight
