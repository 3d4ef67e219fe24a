#include <gtest/gtest.h>

#include "css_jscript_token_list.h"
#include "highlight/css_highlighter.h"

namespace kelvara::highlight::test {
namespace {

using K = CssTokenKind;
using S = CssRangeState;

constexpr int State(S state) {
    return static_cast<int>(state);
}

class CssScan : public ::testing::Test {
  protected:
    std::vector<Token> Scan(std::u16string_view line, S state) {
        return ScanLine(h, line, State(state));
    }
    int EndState() const { return h.CurrentRangeState(); }

    TCssHighlighter h;
};

TEST_F(CssScan, SelectorListIsOneTokenUpToTheBrace) {
    EXPECT_EQ(Scan(u"h1, h2 {", S::Selector),
              (std::vector<Token>{Tok(u"h1, h2 ", K::Selector), Tok(u"{", K::Symbol)}));
    EXPECT_EQ(EndState(), State(S::BlockStart));

    // Dots, "#", ":" and "}" belong to the selector; "/" and control characters end it.
    EXPECT_EQ(
        Scan(u"a.b #c:hover}/d\te", S::Selector),
        (std::vector<Token>{Tok(u"a.b #c:hover}", K::Selector), Tok(u"/", K::Symbol),
                            Tok(u"d", K::Selector), Tok(u"\t", K::Space), Tok(u"e", K::Selector)}));
    EXPECT_EQ(EndState(), State(S::Selector));
}

TEST_F(CssScan, PropertyNamesAreLookedUpIgnoringCase) {
    EXPECT_EQ(
        Scan(u"COLOR: red; made-up-property: 1; color:blue}", S::BlockStart),
        (std::vector<Token>{Tok(u"COLOR", K::Property), Tok(u":", K::Symbol), Tok(u" ", K::Space),
                            Tok(u"red", K::Value), Tok(u";", K::Symbol), Tok(u" ", K::Space),
                            Tok(u"made-up-property", K::UndefinedProperty), Tok(u":", K::Symbol),
                            Tok(u" ", K::Space), Tok(u"1", K::Number), Tok(u";", K::Symbol),
                            Tok(u" ", K::Space), Tok(u"color", K::Property), Tok(u":", K::Symbol),
                            Tok(u"blue", K::Value), Tok(u"}", K::Symbol)}));
    EXPECT_EQ(EndState(), State(S::Selector));
}

TEST_F(CssScan, NearMissesOfKnownNamesAreUndefined) {
    for (std::u16string name : {u"colo", u"colorx", u"color2", u"x-color", u"_color"}) {
        const std::vector<Token> tokens = Scan(name + u":", S::AfterSemicolon);
        ASSERT_EQ(tokens.size(), 2u);
        EXPECT_EQ(tokens[0], Tok(name, K::UndefinedProperty));
    }
    // The token reaches past the hashed word, but only the hashed word is looked up.
    EXPECT_EQ(Scan(u"color$x{y", S::BlockStart),
              (std::vector<Token>{Tok(u"color$x{y", K::Property)}));
    EXPECT_EQ(Scan(u"Z-Index \"", S::BlockStart),
              (std::vector<Token>{Tok(u"Z-Index", K::Property), Tok(u" ", K::Space),
                                  Tok(u"\"", K::String)}));
}

TEST_F(CssScan, DeclarationWithUnitSplitsNumberAndValue) {
    EXPECT_EQ(Scan(u"font-size: 8pt;", S::BlockStart),
              (std::vector<Token>{Tok(u"font-size", K::Property), Tok(u":", K::Symbol),
                                  Tok(u" ", K::Space), Tok(u"8", K::Number), Tok(u"pt", K::Value),
                                  Tok(u";", K::Symbol)}));
    EXPECT_EQ(EndState(), State(S::AfterSemicolon));
}

TEST_F(CssScan, ValueRunsOverBlanksQuotesAndBangUpToItsTerminator) {
    EXPECT_EQ(Scan(u"font-family: 'Times New Roman', serif !important; x", S::BlockStart),
              (std::vector<Token>{Tok(u"font-family", K::Property), Tok(u":", K::Symbol),
                                  Tok(u" ", K::Space), Tok(u"'Times New Roman'", K::Value),
                                  Tok(u",", K::Symbol), Tok(u" ", K::Space),
                                  Tok(u"serif !important", K::Value), Tok(u";", K::Symbol),
                                  Tok(u" ", K::Space), Tok(u"x", K::UndefinedProperty)}));
    // A value left open ends at the line end and leaves the property-name state.
    EXPECT_EQ(Scan(u"url(a /* b)", S::Value), (std::vector<Token>{Tok(u"url(a /* b)", K::Value)}));
    EXPECT_EQ(EndState(), State(S::BlockStart));
}

TEST_F(CssScan, ColorCodesTakeHexDigitsOnly) {
    EXPECT_EQ(
        Scan(u"color: #000099;", S::BlockStart),
        (std::vector<Token>{Tok(u"color", K::Property), Tok(u":", K::Symbol), Tok(u" ", K::Space),
                            Tok(u"#000099", K::Color), Tok(u";", K::Symbol)}));
    EXPECT_EQ(Scan(u"#;", S::Value),
              (std::vector<Token>{Tok(u"#", K::Color), Tok(u";", K::Symbol)}));
    EXPECT_EQ(Scan(u"#aBgz", S::Value),
              (std::vector<Token>{Tok(u"#aB", K::Color), Tok(u"gz", K::Value)}));
}

TEST_F(CssScan, MinusStartsANumberOnlyBeforeADigit) {
    EXPECT_EQ(Scan(u"-5px -webkit-x", S::Value),
              (std::vector<Token>{Tok(u"-5", K::Number), Tok(u"px -webkit-x", K::Value)}));
    EXPECT_EQ(Scan(u"-webkit-x: 0", S::BlockStart),
              (std::vector<Token>{Tok(u"-webkit-x", K::UndefinedProperty), Tok(u":", K::Symbol),
                                  Tok(u" ", K::Space), Tok(u"0", K::Number)}));
    EXPECT_EQ(Scan(u"-", S::BlockStart), (std::vector<Token>{Tok(u"-", K::UndefinedProperty)}));
}

TEST_F(CssScan, NumbersStopBeforeADoubleDot) {
    EXPECT_EQ(Scan(u"1..2", S::Value),
              (std::vector<Token>{Tok(u"1", K::Number), Tok(u"..2", K::Number)}));
    EXPECT_EQ(
        Scan(u"1.5.2 .5", S::Value),
        (std::vector<Token>{Tok(u"1.5.2", K::Number), Tok(u" ", K::Space), Tok(u".5", K::Number)}));
    EXPECT_EQ(EndState(), State(S::Value));
}

TEST_F(CssScan, CommentReturnsToTheStateItOpenedIn) {
    EXPECT_EQ(Scan(u"a { /* note */ color", S::Selector),
              (std::vector<Token>{Tok(u"a ", K::Selector), Tok(u"{", K::Symbol),
                                  Tok(u" ", K::Space), Tok(u"/* note */", K::Comment),
                                  Tok(u" ", K::Space), Tok(u"color", K::Property)}));
    EXPECT_EQ(EndState(), State(S::BlockStart));

    // The "*" of the opener does not close it; "/**/" does.
    EXPECT_EQ(Scan(u"/*/ x", S::Selector), (std::vector<Token>{Tok(u"/*/ x", K::Comment)}));
    EXPECT_EQ(EndState(), State(S::Comment));
    EXPECT_EQ(Scan(u"/**/b", S::Selector),
              (std::vector<Token>{Tok(u"/**/", K::Comment), Tok(u"b", K::Selector)}));
    EXPECT_EQ(Scan(u"/", S::Selector), (std::vector<Token>{Tok(u"/", K::Symbol)}));
}

TEST_F(CssScan, CommentOverLinesStoresStateZeroAndReturnsOnClose) {
    std::vector<std::vector<Token>> tokens;
    const std::vector<int> states =
        LineStates(h, {u"p { /* one", u"two", u"", u"three */ color: red", u"}"}, &tokens);
    EXPECT_EQ(states, (std::vector<int>{0, 0, 0, State(S::BlockStart), State(S::Selector)}));
    EXPECT_EQ(tokens[1], (std::vector<Token>{Tok(u"two", K::Comment)}));
    EXPECT_TRUE(tokens[2].empty());
    EXPECT_EQ(tokens[3][0], Tok(u"three */", K::Comment));
    EXPECT_EQ(tokens[3][2], Tok(u"color", K::Property));
}

TEST_F(CssScan, CommentClosedOnALaterLineReturnsToTheLatestOpeningOfThisInstance) {
    Scan(u"/* opened in a selector", S::Selector);
    // A comment continued from elsewhere: the object still holds the selector state.
    EXPECT_EQ(Scan(u"*/ a", S::Comment),
              (std::vector<Token>{Tok(u"*/", K::Comment), Tok(u" a", K::Selector)}));
    Scan(u"/* opened in a block", S::BlockStart);
    EXPECT_EQ(Scan(u"*/a", S::Comment),
              (std::vector<Token>{Tok(u"*/", K::Comment), Tok(u"a", K::UndefinedProperty)}));
}

TEST_F(CssScan, StringsEndAtTheQuoteOrTheLineEnd) {
    EXPECT_EQ(Scan(u"\"a; b\"c", S::Value),
              (std::vector<Token>{Tok(u"\"a; b\"", K::String), Tok(u"c", K::Value)}));
    std::vector<std::vector<Token>> tokens;
    const std::vector<int> states = LineStates(h, {u"a { content: \"open", u"b"}, &tokens);
    EXPECT_EQ(tokens[0].back(), Tok(u"\"open", K::String));
    EXPECT_EQ(states[0], State(S::Value));
    EXPECT_EQ(tokens[1], (std::vector<Token>{Tok(u"b", K::Value)}));
}

TEST_F(CssScan, LineBreakCharactersAreBlankTokens) {
    EXPECT_EQ(
        Scan(u" \t\r\n\n x", S::BlockStart),
        (std::vector<Token>{Tok(u" \t", K::Space), Tok(u"\r\n", K::Space), Tok(u"\n", K::Space),
                            Tok(u" ", K::Space), Tok(u"x", K::UndefinedProperty)}));
    // Inside a comment a line break ends the comment token without closing it.
    EXPECT_EQ(Scan(u"a\rb*/", S::Comment),
              (std::vector<Token>{Tok(u"a", K::Comment), Tok(u"\rb*/", K::Comment)}));
}

TEST_F(CssScan, EmptyLineYieldsNoTokenAndKeepsTheState) {
    EXPECT_TRUE(Scan(u"", S::AfterSemicolon).empty());
    EXPECT_EQ(EndState(), State(S::AfterSemicolon));
}

TEST_F(CssScan, TokenAttributesFollowTheKind) {
    h.StartLine(u"a{b", 0);
    EXPECT_EQ(h.TokenAttribute(), h.KeyAttri());
    h.Advance();
    EXPECT_EQ(h.TokenAttribute(), h.SymbolAttri());
    h.Advance();
    EXPECT_EQ(h.TokenAttribute(), h.UndefPropertyAttri());
    h.Advance();
    EXPECT_EQ(h.TokenKind(), K::Null);
    EXPECT_EQ(h.TokenAttribute(), nullptr);
    EXPECT_TRUE(h.LineFinished());
}

}  // namespace
}  // namespace kelvara::highlight::test
