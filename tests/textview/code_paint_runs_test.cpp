#include "textview/code_paint_runs.h"

#include <gtest/gtest.h>
#include <climits>

namespace kelvara::textview {
namespace {

using highlight::kColorNone;
using highlight::kStyleBold;
using highlight::kStyleUnderline;

constexpr highlight::ColorValue kWhite = 0xFFFFFF, kBlack = 0, kRed = 0xFF, kBlue = 0xFF0000,
                                kSelBack = 0x800000, kSelFore = 0x00FFFF;

LinePaintSetup LineSetup(std::u16string_view display, int first = 0, int end = 1000) {
    LinePaintSetup s;
    s.display = display;
    s.firstColumn = first;
    s.endColumn = end;
    s.lineLook = TokenLook{kWhite, kBlack, 0};
    s.selectedLook = TokenLook{kSelBack, kSelFore, 0};
    return s;
}

TEST(CodePaintRuns, TokensOfEqualLookMerge) {
    TLineRunBuilder b(LineSetup(u"ab cd;"));
    const TokenLook red{kColorNone, kRed, 0};
    const TokenLook blueBlank{kColorNone, kBlue, kStyleBold};  // a blank: colour and bold ignored
    b.AddToken(0, 2, &red);
    b.AddToken(2, 1, &blueBlank);
    b.AddToken(3, 2, &red);
    b.AddToken(5, 1, nullptr);  // no attribute: the line's own look
    EXPECT_EQ(b.Finish(),
              (std::vector<PaintRun>{{0, 5, {kWhite, kRed, 0}}, {5, 1, {kWhite, kBlack, 0}}}));
}

TEST(CodePaintRuns, DifferencesThatSplitRuns) {
    const TokenLook red{kColorNone, kRed, 0};
    const TokenLook redOnBlue{kBlue, kRed, 0};
    const TokenLook underlined{kColorNone, kRed, kStyleUnderline};
    const TokenLook bold{kColorNone, kRed, kStyleBold};
    {
        TLineRunBuilder b(LineSetup(u"a b"));
        b.AddToken(0, 1, &red);
        b.AddToken(1, 1, &underlined);  // underline matters even on blanks
        b.AddToken(2, 1, &red);
        EXPECT_EQ(b.Finish().size(), 3u);
    }
    {
        TLineRunBuilder b(LineSetup(u"a b"));
        b.AddToken(0, 1, &red);
        b.AddToken(1, 1, &redOnBlue);  // another background, even for a blank
        b.AddToken(2, 1, &bold);       // another style on a letter
        EXPECT_EQ(b.Finish().size(), 3u);
    }
}

TEST(CodePaintRuns, SelectionCutsAtMostThreePieces) {
    auto s = LineSetup(u"abcdefgh");
    s.selectionStart = 2;
    s.selectionEnd = 5;
    TLineRunBuilder b(s);
    const TokenLook bold{kColorNone, kRed, kStyleBold};
    b.AddToken(0, 8, &bold);
    EXPECT_EQ(b.Finish(), (std::vector<PaintRun>{{0, 2, {kWhite, kRed, kStyleBold}},
                                                 {2, 3, {kSelBack, kSelFore, kStyleBold}},
                                                 {5, 3, {kWhite, kRed, kStyleBold}}}));
}

TEST(CodePaintRuns, WholeRowSelectedMergesAcrossColours) {
    auto s = LineSetup(u"ab;cd");
    s.selectionStart = 0;
    s.selectionEnd = INT_MAX;
    TLineRunBuilder b(s);
    const TokenLook red{kColorNone, kRed, 0};
    const TokenLook blue{kColorNone, kBlue, 0};
    b.AddToken(0, 2, &red);
    b.AddToken(2, 1, &blue);
    b.AddToken(3, 2, &red);
    EXPECT_EQ(b.Finish(), (std::vector<PaintRun>{{0, 5, {kSelBack, kSelFore, 0}}}));
}

TEST(CodePaintRuns, OnlyVisibleColumnsArePainted) {
    TLineRunBuilder b(LineSetup(u"0123456789", 3, 7));
    const TokenLook red{kColorNone, kRed, 0};
    const TokenLook blue{kColorNone, kBlue, 0};
    b.AddToken(0, 2, &red);   // left of the view
    b.AddToken(2, 3, &blue);  // cut at the left edge
    b.AddToken(5, 5, &red);   // cut at the right edge
    EXPECT_EQ(b.Finish(),
              (std::vector<PaintRun>{{3, 2, {kWhite, kBlue, 0}}, {5, 2, {kWhite, kRed, 0}}}));
    TLineRunBuilder plain(LineSetup(u"abc"));
    plain.AddPlainLine();
    EXPECT_EQ(plain.Finish(), (std::vector<PaintRun>{{0, 3, {kWhite, kBlack, 0}}}));
}

}  // namespace
}  // namespace kelvara::textview
