// How a line is laid out in cells. A tab advances to the next multiple of the tab width; a glyph
// wider than one cell takes ceil(width / cell width) cells. In the display text every cell holds
// one character: a character spanning n > 1 cells is preceded by n - 1 filler characters
// (U+E000), and a tab becomes its fillers plus one blank. Fillers are never drawn.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace kelvara::textview {

inline constexpr char16_t kFillerChar = 0xE000;
// What a filler character that is really in the text shows as, so that it is not taken for one.
inline constexpr char16_t kFillerStandIn = 0xFFFD;

// Cells a tab at `column` (0-based) fills.
inline int TabCells(int column, int tabWidth) {
    return tabWidth <= 1 ? 1 : tabWidth - column % tabWidth;
}

// Width in cells with tabs expanded, every other character one cell.
int ExpandedWidth(std::u16string_view line, int tabWidth);

// The display text; cellsOf(ch) gives the cells of a non-tab character (values below 2 mean 1).
// Expansion stops once `maxCells` cells are laid out (painting needs no more than is visible).
template <class CellsOf>
std::u16string ExpandForDisplay(std::u16string_view line, int tabWidth, CellsOf&& cellsOf,
                                size_t maxCells = std::u16string::npos) {
    std::u16string out;
    out.reserve(std::min(line.size(), maxCells) + 8);
    for (char16_t c : line) {
        if (out.size() >= maxCells)
            break;
        int cells = c == u'\t' ? TabCells(static_cast<int>(out.size()), tabWidth) : cellsOf(c);
        if (cells > 1)
            out.append(static_cast<size_t>(cells - 1), kFillerChar);
        out.push_back(c == u'\t' ? u' ' : c == kFillerChar ? kFillerStandIn : c);
    }
    return out;
}

// Tabs expanded, every other character one cell.
std::u16string ExpandTabs(std::u16string_view line, int tabWidth);

// The first cell of character `charIndex` of the line the display text was made from; indices
// past the end continue one cell per character (the caret may stand beyond the line's end).
int CharToColumn(std::u16string_view display, int charIndex);
// The character whose cells hold `column`; columns past the end continue one per character.
int ColumnToChar(std::u16string_view display, int column);

}  // namespace kelvara::textview
