#include <gtest/gtest.h>

#include "css_jscript_token_list.h"
#include "highlight/jscript_highlighter.h"

namespace kelvara::highlight::test {
namespace {

using K = JScriptTokenKind;

class JScriptScan : public ::testing::Test {
  protected:
    std::vector<Token> Scan(std::u16string_view line, int state = 0) {
        return ScanLine(h, line, state);
    }

    TJScriptHighlighter h;
};

TEST_F(JScriptScan, KeywordsMatchOnlyInTheirOwnLetterCase) {
    EXPECT_EQ(Scan(u"function Function FUNCTION"),
              (std::vector<Token>{Tok(u"function", K::Key), Tok(u" ", K::Space),
                                  Tok(u"Function", K::NonReservedKey), Tok(u" ", K::Space),
                                  Tok(u"FUNCTION", K::Identifier)}));
    EXPECT_EQ(Scan(u"onClick onclick onClicks"),
              (std::vector<Token>{Tok(u"onClick", K::Event), Tok(u" ", K::Space),
                                  Tok(u"onclick", K::Identifier), Tok(u" ", K::Space),
                                  Tok(u"onClicks", K::Identifier)}));
    EXPECT_EQ(Scan(u"document.getElementById(id_2)"),
              (std::vector<Token>{Tok(u"document", K::NonReservedKey), Tok(u".", K::Symbol),
                                  Tok(u"getElementById", K::NonReservedKey), Tok(u"(", K::Symbol),
                                  Tok(u"id_2", K::Identifier), Tok(u")", K::Symbol)}));
}

TEST_F(JScriptScan, NumbersHexOnlyAfterZeroXWithAHexDigit) {
    const std::vector<std::pair<std::u16string, std::vector<Token>>> cases = {
        {u"0x1F", {Tok(u"0x1F", K::Number)}},
        {u"0XaB9", {Tok(u"0XaB9", K::Number)}},
        {u"0xG", {Tok(u"0", K::Number), Tok(u"xG", K::Identifier)}},
        {u"0x", {Tok(u"0", K::Number), Tok(u"x", K::Identifier)}},
        {u"1x5", {Tok(u"1", K::Number), Tok(u"x5", K::Identifier)}},
        {u"0x1x2", {Tok(u"0x1", K::Number), Tok(u"x2", K::Identifier)}},
        {u"1.5", {Tok(u"1.5", K::Number)}},
        {u"1.2.3", {Tok(u"1.2.3", K::Number)}},
        {u"1..2",
         {Tok(u"1", K::Number), Tok(u".", K::Symbol), Tok(u".", K::Symbol), Tok(u"2", K::Number)}},
        {u"1e5", {Tok(u"1", K::Number), Tok(u"e5", K::Identifier)}},
        {u"12abc", {Tok(u"12", K::Number), Tok(u"abc", K::Identifier)}},
    };
    for (const auto& [line, expected] : cases) {
        EXPECT_EQ(Scan(line), expected) << platform::Utf16ToUtf8(line);
    }
}

TEST_F(JScriptScan, StringsHonourBackslashEscapes) {
    EXPECT_EQ(Scan(u"\"a\\\"b\" + 'it\\'s'"),
              (std::vector<Token>{Tok(u"\"a\\\"b\"", K::String), Tok(u" ", K::Space),
                                  Tok(u"+", K::Symbol), Tok(u" ", K::Space),
                                  Tok(u"'it\\'s'", K::String)}));
    // The quote right after an escaped backslash does not close the string either: it runs on
    // to the next quote or to the line end.
    EXPECT_EQ(Scan(u"\"C:\\\\\" + x"), (std::vector<Token>{Tok(u"\"C:\\\\\" + x", K::String)}));
    EXPECT_EQ(Scan(u"'a\\\\' + 'b"),
              (std::vector<Token>{Tok(u"'a\\\\' + '", K::String), Tok(u"b", K::Identifier)}));
    // The other kind of quote does not close.
    EXPECT_EQ(Scan(u"'say \"hi\"' x"),
              (std::vector<Token>{Tok(u"'say \"hi\"'", K::String), Tok(u" ", K::Space),
                                  Tok(u"x", K::Identifier)}));
    EXPECT_EQ(Scan(u"\"\";"), (std::vector<Token>{Tok(u"\"\"", K::String), Tok(u";", K::Symbol)}));
}

TEST_F(JScriptScan, OpenStringsEndAtTheLineEnd) {
    std::vector<std::vector<Token>> tokens;
    const std::vector<int> states = LineStates(h, {u"s = \"open \\", u"next"}, &tokens);
    EXPECT_EQ(tokens[0].back(), Tok(u"\"open \\", K::String));
    EXPECT_EQ(states, (std::vector<int>{0, 0}));
    EXPECT_EQ(tokens[1], (std::vector<Token>{Tok(u"next", K::NonReservedKey)}));
    EXPECT_EQ(Scan(u"'a\r'b"), (std::vector<Token>{Tok(u"'a", K::String), Tok(u"\r", K::Space),
                                                   Tok(u"'b", K::String)}));
}

TEST_F(JScriptScan, ThreeEqualQuotesOpenOneString) {
    EXPECT_EQ(Scan(u"\"\"\"a\" b"),
              (std::vector<Token>{Tok(u"\"\"\"a\"", K::String), Tok(u" ", K::Space),
                                  Tok(u"b", K::Identifier)}));
    EXPECT_EQ(Scan(u"'''"), (std::vector<Token>{Tok(u"'''", K::String)}));
}

TEST_F(JScriptScan, OnlyTheListedOperatorPairsJoin) {
    const std::vector<std::pair<std::u16string, std::vector<std::u16string>>> cases = {
        {u"==", {u"=", u"="}},
        {u"<=>=", {u"<", u"=", u">", u"="}},
        {u"!=", {u"!", u"="}},
        {u"&&&=", {u"&&", u"&="}},
        {u"|||=", {u"||", u"|="}},
        {u"+++=", {u"++", u"+="}},
        {u"---=->", {u"--", u"-=", u"->"}},
        {u"%=%*=*", {u"%=", u"%", u"*=", u"*"}},
        {u"/=/", {u"/=", u"/"}},
        {u"....", {u"...", u"."}},
        {u"..", {u".", u"."}},
        {u"?:;,[]{}()~", {u"?", u":", u";", u",", u"[", u"]", u"{", u"}", u"(", u")", u"~"}},
    };
    for (const auto& [line, texts] : cases) {
        std::vector<Token> expected;
        for (const std::u16string& text : texts) {
            expected.push_back(Tok(text, K::Symbol));
        }
        EXPECT_EQ(Scan(line), expected) << platform::Utf16ToUtf8(line);
    }
}

TEST_F(JScriptScan, LineAndBlockComments) {
    EXPECT_EQ(Scan(u"x // rest /* of */ line"),
              (std::vector<Token>{Tok(u"x", K::Identifier), Tok(u" ", K::Space),
                                  Tok(u"// rest /* of */ line", K::Comment)}));
    EXPECT_EQ(Scan(u"a/*b*/c/**/"),
              (std::vector<Token>{Tok(u"a", K::Identifier), Tok(u"/*b*/", K::Comment),
                                  Tok(u"c", K::Identifier), Tok(u"/**/", K::Comment)}));
    EXPECT_EQ(h.CurrentRangeState(), 0);
    // The "*" of the opener does not close it.
    EXPECT_EQ(Scan(u"/*/ x"), (std::vector<Token>{Tok(u"/*/ x", K::Comment)}));
    EXPECT_EQ(h.CurrentRangeState(), 1);
}

TEST_F(JScriptScan, BlockCommentOverSeveralLinesStoresStateOne) {
    std::vector<std::vector<Token>> tokens;
    const std::vector<int> states = LineStates(
        h, {u"x = 1; /* begin", u"  middle // not a line comment", u"", u"end */ y", u"z"},
        &tokens);
    EXPECT_EQ(states, (std::vector<int>{1, 1, 1, 0, 0}));
    EXPECT_EQ(tokens[0].back(), Tok(u"/* begin", K::Comment));
    EXPECT_EQ(tokens[1], (std::vector<Token>{Tok(u"  middle // not a line comment", K::Comment)}));
    EXPECT_TRUE(tokens[2].empty());
    EXPECT_EQ(tokens[3], (std::vector<Token>{Tok(u"end */", K::Comment), Tok(u" ", K::Space),
                                             Tok(u"y", K::Identifier)}));
    EXPECT_EQ(tokens[4], (std::vector<Token>{Tok(u"z", K::Identifier)}));
}

TEST_F(JScriptScan, OtherCharactersAreSingleUnknownTokensPaintedAsIdentifiers) {
    EXPECT_EQ(
        Scan(u"$@#\\^`\u0436"),
        (std::vector<Token>{Tok(u"$", K::Unknown), Tok(u"@", K::Unknown), Tok(u"#", K::Unknown),
                            Tok(u"\\", K::Unknown), Tok(u"^", K::Unknown), Tok(u"`", K::Unknown),
                            Tok(u"\u0436", K::Unknown)}));
    // A character outside the basic plane is not split into halves.
    EXPECT_EQ(Scan(u"\U0001F600a"),
              (std::vector<Token>{Tok(u"\U0001F600", K::Unknown), Tok(u"a", K::Identifier)}));
    h.StartLine(u"$", 0);
    EXPECT_EQ(h.TokenAttribute(), h.IdentifierAttri());
    h.Advance();
    EXPECT_EQ(h.TokenKind(), K::Null);
    EXPECT_EQ(h.TokenAttribute(), nullptr);
}

TEST_F(JScriptScan, BlanksAndLineBreaks) {
    EXPECT_EQ(
        Scan(u"\t \r\n\rx\n"),
        (std::vector<Token>{Tok(u"\t ", K::Space), Tok(u"\r\n", K::Space), Tok(u"\r", K::Space),
                            Tok(u"x", K::Identifier), Tok(u"\n", K::Space)}));
    EXPECT_TRUE(Scan(u"", 1).empty());
    EXPECT_EQ(h.CurrentRangeState(), 1);
}

}  // namespace
}  // namespace kelvara::highlight::test
