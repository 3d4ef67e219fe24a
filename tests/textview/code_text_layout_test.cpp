#include "textview/code_text_layout.h"

#include <gtest/gtest.h>

namespace kelvara::textview {
namespace {

constexpr char16_t F = kFillerChar;

TEST(CodeTextLayout, TabsReachTheNextMultipleOfTheTabWidth) {
    // The x lands in column 9 (1-based) whether the tab starts the line or follows 3 letters.
    EXPECT_EQ(ExpandTabs(u"\tx", 8).find(u'x'), 8u);
    EXPECT_EQ(ExpandTabs(u"abc\tx", 8).find(u'x'), 8u);
    EXPECT_EQ(ExpandTabs(u"abcdefgh\tx", 8).find(u'x'), 16u);
    EXPECT_EQ(ExpandTabs(u"a\t\tx", 1), u"a  x");
    // A tab is its fillers plus one blank, so that each line character has one display character.
    EXPECT_EQ(ExpandTabs(u"ab\t", 4), (std::u16string{u'a', u'b', F, u' '}));
    EXPECT_EQ(ExpandedWidth(u"abc\tx", 8), 9);
}

TEST(CodeTextLayout, WideGlyphsArePrecededByFillers) {
    auto cells = [](char16_t c) { return c == u'\u4E2D' ? 2 : 1; };
    EXPECT_EQ(ExpandForDisplay(u"a\u4E2Db\tc", 8, cells),
              (std::u16string{u'a', F, u'\u4E2D', u'b', F, F, F, u' ', u'c'}));
    // Laying out stops once enough cells are there.
    EXPECT_EQ(ExpandForDisplay(u"abcdef", 8, cells, 3), u"abc");
    EXPECT_EQ(ExpandForDisplay(u"a\tbc", 8, cells, 3).size(), 8u);
    // A filler character in the text itself must not be mistaken for one.
    EXPECT_EQ(ExpandTabs(std::u16string{u'a', F, u'b'}, 8), u"a\uFFFDb");
}

TEST(CodeTextLayout, ColumnsAndCharactersMapBothWays) {
    const std::u16string display{u'a', F, u'\u4E2D', u'b',
                                 F,    F, u' ',      u'c'};  // a, wide glyph, b, 3-cell tab, c
    EXPECT_EQ(CharToColumn(display, 0), 0);
    EXPECT_EQ(CharToColumn(display, 1), 1);  // the wide glyph starts at its first filler
    EXPECT_EQ(CharToColumn(display, 2), 3);
    EXPECT_EQ(CharToColumn(display, 3), 4);
    EXPECT_EQ(CharToColumn(display, 4), 7);
    EXPECT_EQ(CharToColumn(display, 7), 10);  // past the end: one cell per character
    EXPECT_EQ(ColumnToChar(display, 2), 1);   // inside the wide glyph
    EXPECT_EQ(ColumnToChar(display, 5), 3);   // inside the tab
    EXPECT_EQ(ColumnToChar(display, 7), 4);
    EXPECT_EQ(ColumnToChar(display, 10), 7);
    for (int chr = 0; chr < 8; ++chr)
        EXPECT_EQ(ColumnToChar(display, CharToColumn(display, chr)), chr);
}

}  // namespace
}  // namespace kelvara::textview
