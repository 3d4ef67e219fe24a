#include <gtest/gtest.h>

#include <set>

#include "highlight/highlighter_registry.h"
#include "highlight/xml_highlighter.h"
#include "xml_markup_tokens.h"

namespace kelvara::highlight {
namespace {

struct ExpectedAttribute {
    const char* name;
    const char16_t* friendlyName;
    ColorValue foreground;
    ColorValue background;
    FontStyles style;
};

TEST(XmlHighlighter, AttributesWithTheirConstructorLook) {
    TXmlHighlighter h;
    const ColorValue blue = 0xFF0000, maroon = 0x000080, red = 0x0000FF;
    // In the order of the sorted list.
    const ExpectedAttribute expected[] = {
        {"AttributeName", u"Attribute Name", maroon, kColorNone, 0},
        {"AttributeValue", u"Attribute Value", 0x800000, kColorNone, kStyleBold},
        {"CDATA-Section", u"CDATA Section", 0x008080, kColorNone, kStyleItalic},
        {"Comment", u"Comment", 0x808080, 0xC0C0C0, kStyleBold | kStyleItalic},
        {"DOCTYPE-Section", u"DOCTYPE Section", blue, kColorNone, kStyleItalic},
        {"ElementName", u"Element Name", maroon, kColorNone, kStyleBold},
        {"EntityReference", u"Entity Reference", blue, kColorNone, kStyleBold},
        {"NamespaceAttributeName", u"Namespace Attribute Name", red, kColorNone, 0},
        {"NamespaceAttributeValue", u"Namespace Attribute Value", red, kColorNone, kStyleBold},
        {"ProcessingInstruction", u"Processing Instruction", blue, kColorNone, 0},
        {"Symbol", u"Symbol", blue, kColorNone, 0},
        {"Text", u"Text", 0x000000, kColorNone, kStyleBold},
        {"Whitespace", u"Whitespace", kColorNone, kColorNone, 0},
    };
    ASSERT_EQ(h.AttributeCount(), 13);
    for (int i = 0; i < 13; ++i) {
        const THighlighterAttributes* a = h.AttributeAt(i);
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(a->Name(), expected[i].name);
        EXPECT_EQ(a->FriendlyName(), expected[i].friendlyName);
        EXPECT_EQ(a->Foreground(), expected[i].foreground);
        EXPECT_EQ(a->Background(), expected[i].background);
        EXPECT_EQ(a->Style(), expected[i].style);
        // The constructor's values are the defaults, so nothing needs storing.
        EXPECT_TRUE(a->StoredProperties().empty());
    }
    EXPECT_EQ(h.AttributeAt(13), nullptr);
}

TEST(XmlHighlighter, RolesNamesAndFilter) {
    TXmlHighlighter h;
    EXPECT_EQ(h.DefaultAttributeFor(kRoleComment), h.CommentAttri());
    EXPECT_EQ(h.DefaultAttributeFor(kRoleIdentifier), h.AttributeAttri());
    EXPECT_EQ(h.DefaultAttributeFor(kRoleKeyword), h.ElementAttri());
    EXPECT_EQ(h.DefaultAttributeFor(kRoleString), nullptr);
    EXPECT_EQ(h.DefaultAttributeFor(kRoleWhitespace), h.SpaceAttri());
    EXPECT_EQ(h.DefaultAttributeFor(kRoleSymbol), h.SymbolAttri());
    EXPECT_EQ(h.DefaultAttributeFor(6), nullptr);
    EXPECT_EQ(h.InternalLanguageName(), "XML");
    EXPECT_EQ(h.DisplayLanguageName(), u"XML");
    EXPECT_TRUE(h.IsCaseSensitive());
    EXPECT_EQ(h.DefaultFilter(),
              "XML Files (*.xml;*.xsd;*.xsl;*.xslt;*.dtd)|*.xml;*.xsd;*.xsl;*.xslt;*.dtd");
    EXPECT_FALSE(h.IsDefaultFilterStored());
    h.SetDefaultFilter("XML (*.xml)|*.xml");
    EXPECT_TRUE(h.IsDefaultFilterStored());
    EXPECT_EQ(h.CurrentRangeState(), 11);
}

TEST(XmlHighlighter, SampleReachesEveryTokenKindWithItsAttribute) {
    TXmlHighlighter h;
    const std::u16string text =
        u"<?xml version=\"1.0\"?>\n<!DOCTYPE d>\n<!--c-->\n"
        u"<r a='1&x;' b=\"2&y;\" xmlns:s='3&z;' xmlns=\"4&w;\">t&e;<![CDATA[c]]>\t</r>";
    auto scan = test::ScanMarkup(h, test::SplitLines(text));
    const char* attributeOfKind[22] = {"AttributeValue",
                                       "EntityReference",
                                       "AttributeName",
                                       "CDATA-Section",
                                       "Comment",
                                       "ElementName",
                                       "EntityReference",
                                       "Symbol",
                                       "",
                                       "ProcessingInstruction",
                                       "AttributeValue",
                                       "EntityReference",
                                       "Whitespace",
                                       "Symbol",
                                       "Text",
                                       "NamespaceAttributeValue",
                                       "EntityReference",
                                       "NamespaceAttributeName",
                                       "Symbol",
                                       "NamespaceAttributeValue",
                                       "EntityReference",
                                       "DOCTYPE-Section"};
    std::set<int> kinds;
    for (const auto& line : scan.lines) {
        for (const auto& token : line) {
            kinds.insert(token.kind);
            ASSERT_GE(token.kind, 0);
            ASSERT_LT(token.kind, 22);
            EXPECT_EQ(token.attribute, attributeOfKind[token.kind]) << token.kind;
        }
    }
    // Every kind but the end-of-line token (never read by a caller) occurs.
    EXPECT_EQ(kinds.size(), 21u);
    EXPECT_FALSE(kinds.count(8));
}

TEST(XmlHighlighter, WantBracesParsedChangesNoToken) {
    TXmlHighlighter h;
    EXPECT_FALSE(h.WantBracesParsed());
    EXPECT_TRUE(h.IsWantBracesParsedStored());
    const auto lines = test::SplitLines(h.DemoText() + u"\n<a b='{x}'>{y}</a>");
    h.SetWantBracesParsed(true);
    EXPECT_FALSE(h.IsWantBracesParsedStored());
    auto withBraces = test::ScanMarkup(h, lines);
    h.SetWantBracesParsed(false);
    auto without = test::ScanMarkup(h, lines);
    EXPECT_EQ(withBraces.lines, without.lines);
    EXPECT_EQ(withBraces.states, without.states);
}

TEST(XmlHighlighter, DemoTextShowsEachConstruct) {
    TXmlHighlighter h;
    const auto lines = test::SplitLines(h.DemoText());
    ASSERT_EQ(lines.size(), 7u);
    auto scan = test::ScanMarkup(h, lines);
    EXPECT_EQ(scan.states, (std::vector<int>{11, 18, 11, 11, 11, 11, 11}));
    EXPECT_EQ(scan.lines[3][1], (test::MarkupToken{4, 4, u" Comment ", "Comment"}));
    bool entityInValue = false;
    for (const auto& token : scan.lines[4]) {
        entityInValue |= token.kind == 11 && token.text == u"&test;";
    }
    EXPECT_TRUE(entityInValue);
}

TEST(XmlHighlighter, RestoredStateOutsideTheRangeRestartsInText) {
    TXmlHighlighter h;
    for (int state : {-1, 19, 255}) {
        h.RestoreRangeState(state);
        EXPECT_EQ(h.CurrentRangeState(), 11);
    }
    h.RestoreRangeState(18);
    EXPECT_EQ(h.CurrentRangeState(), 18);
    h.ClearRangeState();
    EXPECT_EQ(h.CurrentRangeState(), 11);
}

}  // namespace
}  // namespace kelvara::highlight

namespace kelvara::highlight {
namespace {

TEST(MarkupRegistry, CreatesBothMarkupHighlighters) {
    auto xml = CreateHighlighter("xml");
    ASSERT_NE(xml, nullptr);
    EXPECT_EQ(xml->InternalLanguageName(), "XML");
    auto html = CreateHighlighter("html");
    ASSERT_NE(html, nullptr);
    EXPECT_EQ(html->InternalLanguageName(), "HTML");
}

}  // namespace
}  // namespace kelvara::highlight
