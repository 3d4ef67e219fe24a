#include <gtest/gtest.h>

#include "highlight/html_highlighter.h"
#include "xml_markup_tokens.h"

namespace kelvara::highlight {
namespace {

using test::MarkupToken;
using test::ScanMarkup;
using test::ScanOneLine;
using Tokens = std::vector<MarkupToken>;

constexpr const char* kAnd = "EscapeAmpersand";
constexpr const char* kComment = "Comment";
constexpr const char* kIdent = "Identifier";
constexpr const char* kKey = "ReservedWord";
constexpr const char* kSpace = "Space";
constexpr const char* kSym = "Symbol";
constexpr const char* kText = "Text";
constexpr const char* kUndef = "UnknownWord";
constexpr const char* kValue = "Value";

TEST(HtmlScan, TagNamesListedInAnyCaseAndUnlisted) {
    THtmlHighlighter h;
    EXPECT_EQ(ScanOneLine(h, u"<TABLE>"),
              (Tokens{{0, 6, u"<", kSym}, {1, 3, u"TABLE", kKey}, {6, 6, u">", kSym}}));
    EXPECT_EQ(ScanOneLine(h, u"<xyz>"),
              (Tokens{{0, 6, u"<", kSym}, {1, 8, u"xyz", kUndef}, {4, 6, u">", kSym}}));
    // A prefix or extension of a listed name is not listed.
    EXPECT_EQ(ScanOneLine(h, u"<tabl>")[1].kind, 8);
    EXPECT_EQ(ScanOneLine(h, u"<tables>")[1].kind, 8);
    EXPECT_EQ(ScanOneLine(h, u"<!DocType html>"), (Tokens{{0, 6, u"<", kSym},
                                                          {1, 3, u"!DocType", kKey},
                                                          {9, 5, u" ", kSpace},
                                                          {10, 2, u"html", kIdent},
                                                          {14, 6, u">", kSym}}));
}

TEST(HtmlScan, ClosingTagOfAParagraph) {
    THtmlHighlighter h;
    auto scan = ScanMarkup(h, {u"</p>"});
    EXPECT_EQ(scan.lines[0], (Tokens{{0, 6, u"<", kSym}, {1, 3, u"/p", kKey}, {3, 6, u">", kSym}}));
    EXPECT_EQ(scan.states, (std::vector<int>{4}));
}

TEST(HtmlScan, TagWithAttributesKeepsTheDocumentLetters) {
    THtmlHighlighter h;
    EXPECT_EQ(ScanOneLine(h, u"<BODY BGCOLOR='Red'>x"), (Tokens{{0, 6, u"<", kSym},
                                                                {1, 3, u"BODY", kKey},
                                                                {5, 5, u" ", kSpace},
                                                                {6, 2, u"BGCOLOR", kIdent},
                                                                {13, 6, u"=", kSym},
                                                                {14, 9, u"'Red'", kValue},
                                                                {19, 6, u">", kSym},
                                                                {20, 7, u"x", kText}}));
}

TEST(HtmlScan, UnquotedValueRunsToBlankOrGreaterThan) {
    THtmlHighlighter h;
    EXPECT_EQ(ScanOneLine(h, u"<td width=50% nowrap><a href=x>y"),
              (Tokens{{0, 6, u"<", kSym},
                      {1, 3, u"td", kKey},
                      {3, 5, u" ", kSpace},
                      {4, 2, u"width", kIdent},
                      {9, 6, u"=", kSym},
                      {10, 9, u"50%", kValue},
                      {13, 5, u" ", kSpace},
                      {14, 2, u"nowrap", kIdent},
                      {20, 6, u">", kSym},
                      {21, 6, u"<", kSym},
                      {22, 3, u"a", kKey},
                      {23, 5, u" ", kSpace},
                      {24, 2, u"href", kIdent},
                      {28, 6, u"=", kSym},
                      {29, 9, u"x", kValue},
                      {30, 6, u">", kSym},
                      {31, 7, u"y", kText}}));
}

TEST(HtmlScan, DoubleQuotedValueAcrossTwoLines) {
    THtmlHighlighter h;
    auto scan = ScanMarkup(h, {u"<a title=\"one", u"two\" x>"});
    EXPECT_EQ(scan.lines[0], (Tokens{{0, 6, u"<", kSym},
                                     {1, 3, u"a", kKey},
                                     {2, 5, u" ", kSpace},
                                     {3, 2, u"title", kIdent},
                                     {8, 6, u"=", kSym},
                                     {9, 9, u"\"one", kValue}}));
    EXPECT_EQ(scan.lines[1], (Tokens{{0, 9, u"two\"", kValue},
                                     {4, 5, u" ", kSpace},
                                     {5, 2, u"x", kIdent},
                                     {6, 6, u">", kSym}}));
    EXPECT_EQ(scan.states, (std::vector<int>{8, 4}));
    // A single quote inside a double-quoted value does not close it; an empty line keeps it.
    auto single = ScanMarkup(h, {u"<a b='it\"s", u"", u"'>"});
    EXPECT_EQ(single.lines[0].back(), (MarkupToken{5, 9, u"'it\"s", kValue}));
    EXPECT_EQ(single.lines[2], (Tokens{{0, 9, u"'", kValue}, {1, 6, u">", kSym}}));
    EXPECT_EQ(single.states, (std::vector<int>{7, 7, 4}));
}

TEST(HtmlScan, QuoteOutsideAValueStartsAnIdentifier) {
    THtmlHighlighter h;
    EXPECT_EQ(ScanOneLine(h, u"<a \"b c>"), (Tokens{{0, 6, u"<", kSym},
                                                    {1, 3, u"a", kKey},
                                                    {2, 5, u" ", kSpace},
                                                    {3, 2, u"\"b", kIdent},
                                                    {5, 5, u" ", kSpace},
                                                    {6, 2, u"c", kIdent},
                                                    {7, 6, u">", kSym}}));
    // Right after "<" a quote makes an empty tag name, then an identifier.
    EXPECT_EQ(ScanOneLine(h, u"<'x>"),
              (Tokens{{0, 6, u"<", kSym}, {1, 2, u"'x", kIdent}, {3, 6, u">", kSym}}));
}

TEST(HtmlScan, CommentsIncludingTheShortestOne) {
    THtmlHighlighter h;
    EXPECT_EQ(ScanOneLine(h, u"<!-->x"),
              (Tokens{{0, 1, u"<!--", kComment}, {4, 1, u">", kComment}, {5, 7, u"x", kText}}));
    auto scan = ScanMarkup(h, {u"<!-- a -", u"->", u"b -- > c -->d", u"-->"});
    EXPECT_EQ(scan.lines[0], (Tokens{{0, 1, u"<!--", kComment}, {4, 1, u" a -", kComment}}));
    // Dashes on the line before do not count: the ">" needs two dashes on its own line.
    EXPECT_EQ(scan.lines[1], (Tokens{{0, 1, u"->", kComment}}));
    EXPECT_EQ(scan.lines[2], (Tokens{{0, 1, u"b -- > c -->", kComment}, {12, 7, u"d", kText}}));
    EXPECT_EQ(scan.lines[3], (Tokens{{0, 7, u"-->", kText}}));
    EXPECT_EQ(scan.states, (std::vector<int>{1, 1, 4, 4}));
}

TEST(HtmlScan, NamedEntitiesInAnyCaseAndUnknownNames) {
    THtmlHighlighter h;
    EXPECT_EQ(ScanOneLine(h, u"x &AMP; y"),
              (Tokens{{0, 7, u"x ", kText}, {2, 0, u"&AMP;", kAnd}, {7, 7, u" y", kText}}));
    EXPECT_EQ(ScanOneLine(h, u"a &foo; b"), (Tokens{{0, 7, u"a &foo; b", kText}}));
    EXPECT_EQ(ScanOneLine(h, u"&Eacute;&amp"),
              (Tokens{{0, 0, u"&Eacute;", kAnd}, {8, 7, u"&amp", kText}}));
    // The first entry in table order wins: "&sigmaf;" is not read as "&sigma;" plus text.
    EXPECT_EQ(ScanOneLine(h, u"&sigmaf;&sigma;"),
              (Tokens{{0, 0, u"&sigmaf;", kAnd}, {8, 0, u"&sigma;", kAnd}}));
}

TEST(HtmlScan, CharacterReferencesNeedTheirSemicolon) {
    THtmlHighlighter h;
    EXPECT_EQ(ScanOneLine(h, u"1 &#65; 2 &#x41; 3 &#X4f;"), (Tokens{{0, 7, u"1 ", kText},
                                                                    {2, 0, u"&#65;", kAnd},
                                                                    {7, 7, u" 2 ", kText},
                                                                    {10, 0, u"&#x41;", kAnd},
                                                                    {16, 7, u" 3 ", kText},
                                                                    {19, 0, u"&#X4f;", kAnd}}));
    EXPECT_EQ(ScanOneLine(h, u"&#65 &#x41 end"),
              (Tokens{{0, 7, u"&#65", kText}, {4, 7, u" &#x41", kText}, {10, 7, u" end", kText}}));
    // No digits at all still makes a reference when the ";" follows.
    EXPECT_EQ(ScanOneLine(h, u"&#;&#"), (Tokens{{0, 0, u"&#;", kAnd}, {3, 7, u"&#", kText}}));
}

TEST(HtmlScan, AmpersandRightAfterLessThanIsText) {
    THtmlHighlighter h;
    auto scan = ScanMarkup(h, {u"<&b"});
    EXPECT_EQ(scan.lines[0],
              (Tokens{{0, 6, u"<", kSym}, {1, 7, u"&", kText}, {2, 7, u"b", kText}}));
    EXPECT_EQ(scan.states, (std::vector<int>{4}));
}

TEST(HtmlScan, OpenTagContinuesOnTheNextLine) {
    THtmlHighlighter h;
    auto scan = ScanMarkup(h, {u"<", u"img", u"src=", u"a.png>"});
    EXPECT_EQ(scan.lines[1], (Tokens{{0, 3, u"img", kKey}}));
    EXPECT_EQ(scan.lines[2], (Tokens{{0, 2, u"src", kIdent}, {3, 6, u"=", kSym}}));
    EXPECT_EQ(scan.lines[3], (Tokens{{0, 9, u"a.png", kValue}, {5, 6, u">", kSym}}));
    EXPECT_EQ(scan.states, (std::vector<int>{2, 3, 6, 4}));
}

TEST(HtmlScan, ControlCharactersAndBlanks) {
    THtmlHighlighter h;
    EXPECT_EQ(ScanOneLine(h, u"a\tb\r\n c"), (Tokens{{0, 7, u"a", kText},
                                                     {1, 5, u"\t", kSpace},
                                                     {2, 7, u"b", kText},
                                                     {3, 5, u"\r\n", kSpace},
                                                     {5, 7, u" c", kText}}));
}

}  // namespace
}  // namespace kelvara::highlight
