// The scanning contract of the highlighter base: line loading, token texts, the end-of-line
// token, range states carried between lines and the expanded-line bookkeeping.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework_test_highlighter.h"

namespace kelvara::highlight::test {
namespace {

struct Token {
    int start;
    std::u16string text;
    int kind;
    bool operator==(const Token&) const = default;
};

std::vector<Token> ScanOneLine(TCustomHighlighter& h, std::u16string_view line) {
    std::vector<Token> tokens;
    h.StartLine(line, 0);
    while (!h.LineFinished()) {
        tokens.push_back({h.TokenStart(), h.TokenText(), h.TokenKindCode()});
        h.Advance();
    }
    return tokens;
}

using K = TTestHighlighter::Kind;

TEST(HighlighterScan, EmptyLineIsFinishedAtOnce) {
    TTestHighlighter h;
    h.StartLine(u"", 0);
    EXPECT_TRUE(h.LineFinished());
    EXPECT_EQ(h.RunPosition(), 1);
}

TEST(HighlighterScan, CutsLineIntoTokensWithStartsAndKinds) {
    TTestHighlighter h;
    const std::vector<Token> expected = {
        {0, u"while", K::kKeyword}, {5, u"  ", K::kSpace}, {7, u"(", K::kSymbol},
        {8, u"x", K::kWord},        {9, u")", K::kSymbol},
    };
    EXPECT_EQ(ScanOneLine(h, u"while  (x)"), expected);
    // The consumer never sees the end-of-line token, but the scan stops right after it.
    EXPECT_EQ(h.RunPosition(), h.LineLength() + 1);
}

TEST(HighlighterScan, KeywordMatchesOnlyWholeWordOfEqualLength) {
    TTestHighlighter h;
    EXPECT_EQ(ScanOneLine(h, u"bodyx")[0].kind, K::kWord);
    EXPECT_EQ(ScanOneLine(h, u"bod")[0].kind, K::kWord);
    EXPECT_EQ(ScanOneLine(h, u"body")[0].kind, K::kKeyword);
}

TEST(HighlighterScan, CaseSensitiveHighlighterMatchesExactCaseOnly) {
    TTestHighlighter h(true);
    EXPECT_EQ(ScanOneLine(h, u"BODY")[0].kind, K::kWord);
}

TEST(HighlighterScan, CaseInsensitiveKeepsDocumentLettersInTokenText) {
    TTestHighlighter h(false);
    const std::vector<Token> tokens = ScanOneLine(h, u"BODY Body");
    ASSERT_EQ(tokens.size(), 3u);
    EXPECT_EQ(tokens[0], (Token{0, u"BODY", K::kKeyword}));
    EXPECT_EQ(tokens[2], (Token{5, u"Body", K::kKeyword}));
    // The keyword test saw the lower-case copy.
    EXPECT_TRUE(h.TokenEquals(u"body"));
    EXPECT_FALSE(h.TokenEquals(u"Body"));
}

TEST(HighlighterScan, CaseInsensitiveLowersNonAsciiLetters) {
    TTestHighlighter h(false);
    // Cyrillic capitals are lower-cased for matching; the token text keeps them.
    h.StartLine(u"\u0414\u041E", 0);
    EXPECT_EQ(h.TokenText(), u"\u0414");
    EXPECT_EQ(h.TokenKindCode(), K::kSymbol);
}

TEST(HighlighterScan, ZeroCharacterInsideLineIsScannedAndTheRestFollows) {
    TTestHighlighter h;
    const std::u16string line(u"a\0b", 3);
    const std::vector<Token> expected = {
        {0, u"a", K::kWord}, {1, std::u16string(u"\0", 1), K::kNull}, {2, u"b", K::kWord}};
    EXPECT_EQ(ScanOneLine(h, line), expected);
}

TEST(HighlighterScan, LineIsCopiedSoTheCallerNeedNotTerminateIt) {
    TTestHighlighter h;
    const std::u16string buffer = u"bodywhile";
    // A view into the middle of a buffer: the word must stop at the view's end.
    const std::vector<Token> tokens = ScanOneLine(h, std::u16string_view(buffer).substr(0, 4));
    ASSERT_EQ(tokens.size(), 1u);
    EXPECT_EQ(tokens[0], (Token{0, u"body", K::kKeyword}));
}

TEST(HighlighterScan, RangeStateCarriesCommentAcrossLines) {
    TTestHighlighter h;
    const std::vector<std::u16string> lines = {u"x /* open", u"still", u"", u"end */ y"};
    std::vector<int> states;
    std::vector<std::vector<int>> kinds(lines.size());
    ScanLines(
        h, lines, [&](int line) { kinds[line].push_back(h.TokenKindCode()); },
        [&](int, int state) { states.push_back(state); });
    EXPECT_EQ(states, (std::vector<int>{1, 1, 1, 0}));
    EXPECT_EQ(kinds[1], (std::vector<int>{K::kComment}));
    EXPECT_TRUE(kinds[2].empty());
    EXPECT_EQ(kinds[3], (std::vector<int>{K::kComment, K::kSpace, K::kWord}));
}

TEST(HighlighterScan, AtLineBreakAtEndAndOnCrLf) {
    TTestHighlighter h;
    h.StartLine(u"a\rb\nc", 0);
    EXPECT_FALSE(h.AtLineBreak(0));
    EXPECT_TRUE(h.AtLineBreak(1));
    EXPECT_TRUE(h.AtLineBreak(3));
    EXPECT_FALSE(h.AtLineBreak(4));
    EXPECT_TRUE(h.AtLineBreak(5));
    EXPECT_TRUE(h.AtLineBreak(-1));
}

TEST(HighlighterScan, TokenEqualsNeedsTheMeasuredLength) {
    TTestHighlighter h;
    h.StartLine(u"while x", 0);  // measured "while"
    EXPECT_TRUE(h.TokenEquals(u"while"));
    EXPECT_TRUE(h.MeasuredWordEquals("while"));
    EXPECT_FALSE(h.TokenEquals(u"whil"));
    EXPECT_FALSE(h.TokenEquals(u"while "));
    EXPECT_FALSE(h.MeasuredWordEquals("whilE"));
}

TEST(HighlighterExpanded, WithoutExpandedLineFallsBackToTheLine) {
    TTestHighlighter h;
    h.StartLineExpanded(u"ab c", u"", 3);
    EXPECT_EQ(h.ExpandedTokenStart(), 0);
    EXPECT_EQ(h.ExpandedTokenText(), u"ab");
    EXPECT_EQ(h.LineNumber(), 3);
}

TEST(HighlighterExpanded, FillersBeforeWideGlyphsBelongToTheirToken) {
    TTestHighlighter h;
    constexpr char16_t F = TCustomHighlighter::kFillerChar;
    // "x" then a wide glyph (two cells: one filler), a blank, "y".
    const std::u16string line = u"x\u4E00 y";
    const std::u16string expanded = {u'x', F, u'\u4E00', u' ', u'y'};
    h.StartLineExpanded(line, expanded, 0);
    std::vector<std::pair<int, std::u16string>> seen;
    while (!h.LineFinished()) {
        seen.emplace_back(h.ExpandedTokenStart(), h.ExpandedTokenText());
        h.Advance();
    }
    const std::vector<std::pair<int, std::u16string>> expected = {
        {0, u"x"}, {1, std::u16string{F, u'\u4E00'}}, {3, u" "}, {4, u"y"}};
    EXPECT_EQ(seen, expected);
}

TEST(HighlighterExpanded, ShortExpandedLineNeverReadsPastItsEnd) {
    TTestHighlighter h;
    h.StartLineExpanded(u"abc def", u"ab", 0);
    h.AdvanceToLineEnd();
    EXPECT_TRUE(h.LineFinished());
    EXPECT_EQ(h.ExpandedTokenText(), u"");
}

TEST(HighlighterExpanded, StartLineDropsThePreviousExpandedLine) {
    TTestHighlighter h;
    h.StartLineExpanded(u"abc", u"\uE000abc", 0);
    h.StartLine(u"zz", 1);
    EXPECT_EQ(h.ExpandedTokenText(), u"zz");
    EXPECT_EQ(h.ExpandedTokenStart(), 0);
}

}  // namespace
}  // namespace kelvara::highlight::test
