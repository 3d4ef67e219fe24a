#include "textview/code_text_layout.h"

namespace kelvara::textview {

int ExpandedWidth(std::u16string_view line, int tabWidth) {
    int width = 0;
    for (char16_t c : line)
        width += c == u'\t' ? TabCells(width, tabWidth) : 1;
    return width;
}

std::u16string ExpandTabs(std::u16string_view line, int tabWidth) {
    return ExpandForDisplay(line, tabWidth, [](char16_t) { return 1; });
}

int CharToColumn(std::u16string_view display, int charIndex) {
    if (charIndex <= 0)
        return 0;
    int seen = 0;
    for (size_t i = 0; i < display.size(); ++i) {
        if (display[i] == kFillerChar)
            continue;
        if (++seen == charIndex)
            return static_cast<int>(i) + 1;
    }
    return static_cast<int>(display.size()) + (charIndex - seen);
}

int ColumnToChar(std::u16string_view display, int column) {
    if (column <= 0)
        return 0;
    const int size = static_cast<int>(display.size());
    if (column >= size) {
        int chars = 0;
        for (char16_t c : display)
            chars += c != kFillerChar;
        return chars + (column - size);
    }
    int chars = 0;
    for (int i = 0; i < column; ++i)
        chars += display[i] != kFillerChar;
    return chars;
}

}  // namespace kelvara::textview
