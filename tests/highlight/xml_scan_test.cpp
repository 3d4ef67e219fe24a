#include <gtest/gtest.h>

#include "highlight/xml_highlighter.h"
#include "xml_markup_tokens.h"

namespace kelvara::highlight {
namespace {

using test::MarkupToken;
using test::ScanMarkup;
using test::ScanOneLine;
using Tokens = std::vector<MarkupToken>;

constexpr const char* kSym = "Symbol";
constexpr const char* kElem = "ElementName";
constexpr const char* kAttr = "AttributeName";
constexpr const char* kNsAttr = "NamespaceAttributeName";
constexpr const char* kValue = "AttributeValue";
constexpr const char* kNsValue = "NamespaceAttributeValue";
constexpr const char* kSpace = "Whitespace";
constexpr const char* kText = "Text";
constexpr const char* kEntity = "EntityReference";
constexpr const char* kComment = "Comment";
constexpr const char* kCData = "CDATA-Section";
constexpr const char* kDocType = "DOCTYPE-Section";
constexpr const char* kPi = "ProcessingInstruction";

TEST(XmlScan, StartTagWithSingleQuotedAttribute) {
    TXmlHighlighter h;
    auto scan = ScanMarkup(h, {u"<a href='x'>"});
    EXPECT_EQ(scan.lines[0], (Tokens{{0, 13, u"<", kSym},
                                     {1, 5, u"a", kElem},
                                     {2, 12, u" ", kSpace},
                                     {3, 2, u"href", kAttr},
                                     {7, 7, u"='", kSym},
                                     {9, 0, u"x", kValue},
                                     {10, 13, u"'", kSym},
                                     {11, 13, u">", kSym}}));
    EXPECT_EQ(scan.states, (std::vector<int>{11}));
}

TEST(XmlScan, XmlnsAnywhereInANameMakesANamespaceAttribute) {
    TXmlHighlighter h;
    EXPECT_EQ(ScanOneLine(h, u"<r xmlns:p=\"u\" myxmlnsattr='v' XMLNS=\"w\">"),
              (Tokens{{0, 13, u"<", kSym},
                      {1, 5, u"r", kElem},
                      {2, 12, u" ", kSpace},
                      {3, 17, u"xmlns:p", kNsAttr},
                      {10, 18, u"=\"", kSym},
                      {12, 19, u"u", kNsValue},
                      {13, 13, u"\"", kSym},
                      {14, 12, u" ", kSpace},
                      {15, 17, u"myxmlnsattr", kNsAttr},
                      {26, 18, u"='", kSym},
                      {28, 15, u"v", kNsValue},
                      {29, 13, u"'", kSym},
                      {30, 12, u" ", kSpace},
                      {31, 2, u"XMLNS", kAttr},
                      {36, 7, u"=\"", kSym},
                      {38, 10, u"w", kValue},
                      {39, 13, u"\"", kSym},
                      {40, 13, u">", kSym}}));
}

TEST(XmlScan, EntityReferencesInsideValuesOfEveryKind) {
    TXmlHighlighter h;
    EXPECT_EQ(ScanOneLine(h, u"<a b=\"x&lt;y\" xmlns='p&q;r'>"),
              (Tokens{{0, 13, u"<", kSym},
                      {1, 5, u"a", kElem},
                      {2, 12, u" ", kSpace},
                      {3, 2, u"b", kAttr},
                      {4, 7, u"=\"", kSym},
                      {6, 10, u"x", kValue},
                      {7, 11, u"&lt;", kEntity},
                      {11, 10, u"y", kValue},
                      {12, 13, u"\"", kSym},
                      {13, 12, u" ", kSpace},
                      {14, 17, u"xmlns", kNsAttr},
                      {19, 18, u"='", kSym},
                      {21, 15, u"p", kNsValue},
                      {22, 16, u"&q;", kEntity},
                      {25, 15, u"r", kNsValue},
                      {26, 13, u"'", kSym},
                      {27, 13, u">", kSym}}));
    EXPECT_EQ(ScanOneLine(h, u"<a b='&amp;' c=\"&x\">"),
              (Tokens{{0, 13, u"<", kSym},
                      {1, 5, u"a", kElem},
                      {2, 12, u" ", kSpace},
                      {3, 2, u"b", kAttr},
                      {4, 7, u"='", kSym},
                      {6, 1, u"&amp;", kEntity},
                      {11, 13, u"'", kSym},
                      {12, 12, u" ", kSpace},
                      {13, 2, u"c", kAttr},
                      {14, 7, u"=\"", kSym},
                      // Without ";" the reference runs on over the quote and the ">".
                      {16, 11, u"&x\">", kEntity}}));
}

TEST(XmlScan, ClosingAndEmptyElementTags) {
    TXmlHighlighter h;
    EXPECT_EQ(ScanOneLine(h, u"</a><b/>"), (Tokens{{0, 13, u"</", kSym},
                                                   {2, 5, u"a", kElem},
                                                   {3, 13, u">", kSym},
                                                   {4, 13, u"<", kSym},
                                                   {5, 5, u"b", kElem},
                                                   {6, 13, u"/", kSym},
                                                   {7, 13, u">", kSym}}));
    // After a value, "/" ends the tag the same way.
    auto scan = ScanMarkup(h, {u"<c d=\"1\"/>"});
    EXPECT_EQ(scan.lines[0][7], (MarkupToken{8, 13, u"/", kSym}));
    EXPECT_EQ(scan.states, (std::vector<int>{11}));
}

TEST(XmlScan, LowerCaseDoctypeIsAnElementName) {
    TXmlHighlighter h;
    auto scan = ScanMarkup(h, {u"<!doctype html>"});
    EXPECT_EQ(scan.lines[0], (Tokens{{0, 13, u"<!", kSym},
                                     {2, 5, u"doctype", kElem},
                                     {9, 12, u" ", kSpace},
                                     {10, 2, u"html", kAttr},
                                     {14, 13, u">", kSym}}));
    EXPECT_EQ(scan.states, (std::vector<int>{11}));
}

TEST(XmlScan, DoctypeWithBracketsOverSeveralLines) {
    TXmlHighlighter h;
    auto scan = ScanMarkup(h, {u"<!DOCTYPE root [", u"<!ENTITY e \"v\">", u"]>", u"t"});
    EXPECT_EQ(scan.lines[0],
              (Tokens{{0, 21, u"<!DOCTYPE", kDocType}, {9, 21, u" root [", kDocType}}));
    EXPECT_EQ(scan.lines[1], (Tokens{{0, 21, u"<!ENTITY e \"v\">", kDocType}}));
    EXPECT_EQ(scan.lines[2], (Tokens{{0, 21, u"]", kDocType}, {1, 21, u">", kDocType}}));
    EXPECT_EQ(scan.lines[3], (Tokens{{0, 14, u"t", kText}}));
    EXPECT_EQ(scan.states, (std::vector<int>{18, 18, 11, 11}));

    // Brackets closed on the same line end one token; the declaration goes on in state 17.
    auto oneLine = ScanMarkup(h, {u"<!DOCTYPE a [<!ENTITY b \"c\">] >"});
    EXPECT_EQ(oneLine.lines[0], (Tokens{{0, 21, u"<!DOCTYPE", kDocType},
                                        {9, 21, u" a [<!ENTITY b \"c\">]", kDocType},
                                        {29, 21, u" >", kDocType}}));
    EXPECT_EQ(oneLine.states, (std::vector<int>{11}));
}

TEST(XmlScan, EntityReferenceInText) {
    TXmlHighlighter h;
    EXPECT_EQ(ScanOneLine(h, u"a &amp; b"),
              (Tokens{{0, 14, u"a ", kText}, {2, 6, u"&amp;", kEntity}, {7, 14, u" b", kText}}));
    EXPECT_EQ(ScanOneLine(h, u"x &amp y"),
              (Tokens{{0, 14, u"x ", kText}, {2, 6, u"&amp", kEntity}, {6, 14, u" y", kText}}));
    EXPECT_EQ(ScanOneLine(h, u"&lt;>"), (Tokens{{0, 6, u"&lt;", kEntity}, {4, 14, u">", kText}}));
}

TEST(XmlScan, TabsAndLineBreakCharacters) {
    TXmlHighlighter h;
    // A TAB always starts a new blank token; in text a blank is part of the text.
    EXPECT_EQ(ScanOneLine(h, u"\t\t x"),
              (Tokens{{0, 12, u"\t", kSpace}, {1, 12, u"\t ", kSpace}, {3, 14, u"x", kText}}));
    EXPECT_EQ(ScanOneLine(h, u"a\r\nb\rc"), (Tokens{{0, 14, u"a", kText},
                                                    {1, 12, u"\r\n", kSpace},
                                                    {3, 14, u"b", kText},
                                                    {4, 12, u"\r", kSpace},
                                                    {5, 14, u"c", kText}}));
}

TEST(XmlScan, CommentOverSeveralLinesEndsWithSymbol) {
    TXmlHighlighter h;
    auto scan = ScanMarkup(h, {u"<!-- one", u"", u"two", u"three -->x"});
    EXPECT_EQ(scan.lines[0], (Tokens{{0, 13, u"<!--", kSym}, {4, 4, u" one", kComment}}));
    EXPECT_TRUE(scan.lines[1].empty());
    EXPECT_EQ(scan.lines[2], (Tokens{{0, 4, u"two", kComment}}));
    EXPECT_EQ(scan.lines[3],
              (Tokens{{0, 4, u"three ", kComment}, {6, 13, u"-->", kSym}, {9, 14, u"x", kText}}));
    EXPECT_EQ(scan.states, (std::vector<int>{4, 4, 4, 11}));
}

TEST(XmlScan, CDataEndsAtAnyBracketGreaterThanPair) {
    TXmlHighlighter h;
    auto scan = ScanMarkup(h, {u"<![CDATA[a]b]>c"});
    EXPECT_EQ(
        scan.lines[0],
        (Tokens{{0, 3, u"<![CDATA[", kCData}, {9, 3, u"a]b]>", kCData}, {14, 14, u"c", kText}}));
    // Across lines; a ">" at the start of a line has no "]" before it and does not end it.
    auto lines = ScanMarkup(h, {u"<![CDATA[x]", u">y", u"z]]>"});
    EXPECT_EQ(lines.lines[1], (Tokens{{0, 3, u">y", kCData}}));
    EXPECT_EQ(lines.lines[2], (Tokens{{0, 3, u"z]]>", kCData}}));
    EXPECT_EQ(lines.states, (std::vector<int>{3, 3, 11}));
    // Only the exact marker opens a section.
    EXPECT_EQ(ScanOneLine(h, u"<![cdata[")[0], (MarkupToken{0, 13, u"<!", kSym}));
}

TEST(XmlScan, ProcessingInstructionEndsAtQuestionMarkGreaterThan) {
    TXmlHighlighter h;
    auto scan = ScanMarkup(h, {u"<?xml version=\"1.0\"?><r>", u"<?pi a>b", u"?>"});
    EXPECT_EQ(scan.lines[0], (Tokens{{0, 9, u"<?", kPi},
                                     {2, 9, u"xml version=\"1.0\"?>", kPi},
                                     {21, 13, u"<", kSym},
                                     {22, 5, u"r", kElem},
                                     {23, 13, u">", kSym}}));
    EXPECT_EQ(scan.lines[1], (Tokens{{0, 9, u"<?", kPi}, {2, 9, u"pi a>b", kPi}}));
    EXPECT_EQ(scan.lines[2], (Tokens{{0, 9, u"?>", kPi}}));
    EXPECT_EQ(scan.states, (std::vector<int>{11, 8, 11}));
}

TEST(XmlScan, QuotedValueContinuesOnTheNextLine) {
    TXmlHighlighter h;
    auto scan = ScanMarkup(h, {u"<a b=\"x", u"y\">"});
    EXPECT_EQ(scan.lines[0].back(), (MarkupToken{6, 10, u"x", kValue}));
    EXPECT_EQ(scan.lines[1],
              (Tokens{{0, 10, u"y", kValue}, {1, 13, u"\"", kSym}, {2, 13, u">", kSym}}));
    EXPECT_EQ(scan.states, (std::vector<int>{9, 11}));
}

TEST(XmlScan, NonAsciiNameCharacters) {
    TXmlHighlighter h;
    // Codes above 192 are name characters; 192 itself and '/' are not.
    EXPECT_EQ(
        ScanOneLine(h, u"<\u00e9l\u00c1\u00c0>"),
        (Tokens{{0, 13, u"<", kSym}, {1, 5, u"\u00e9l\u00c1", kElem}, {4, 7, u"\u00c0>", kSym}}));
}

}  // namespace
}  // namespace kelvara::highlight
