#include <gtest/gtest.h>

#include "highlight/html_highlighter.h"
#include "highlight/html_tag_names.h"
#include "xml_markup_tokens.h"

namespace kelvara::highlight {
namespace {

TEST(HtmlHighlighter, AttributesWithTheirConstructorLook) {
    THtmlHighlighter h;
    struct Expected {
        const char* name;
        const char16_t* friendlyName;
        ColorValue foreground;
        FontStyles style;
    };
    const Expected expected[] = {
        {"Comment", u"Comment", kColorNone, 0},
        {"EscapeAmpersand", u"Escape Ampersand", 0x00FF00, kStyleBold},
        {"Identifier", u"Identifier", kColorNone, kStyleBold},
        {"ReservedWord", u"Reserved Word", 0xFF0080, kStyleBold},
        {"Space", u"Space", kColorNone, 0},
        {"Symbol", u"Symbol", kColorNone, kStyleBold},
        {"Text", u"Text", kColorNone, 0},
        {"UnknownWord", u"Unknown Word", 0x0000FF, kStyleBold},
        {"Value", u"Value", 0xFF8000, 0},
    };
    ASSERT_EQ(h.AttributeCount(), 9);
    for (int i = 0; i < 9; ++i) {
        const THighlighterAttributes* a = h.AttributeAt(i);
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(a->Name(), expected[i].name);
        EXPECT_EQ(a->FriendlyName(), expected[i].friendlyName);
        EXPECT_EQ(a->Foreground(), expected[i].foreground);
        EXPECT_EQ(a->Background(), kColorNone);
        EXPECT_EQ(a->Style(), expected[i].style);
        EXPECT_TRUE(a->StoredProperties().empty());
    }
}

TEST(HtmlHighlighter, RolesNamesAndFilter) {
    THtmlHighlighter h;
    EXPECT_EQ(h.DefaultAttributeFor(kRoleComment), h.CommentAttri());
    EXPECT_EQ(h.DefaultAttributeFor(kRoleIdentifier), h.IdentifierAttri());
    EXPECT_EQ(h.DefaultAttributeFor(kRoleKeyword), h.KeyAttri());
    EXPECT_EQ(h.DefaultAttributeFor(kRoleString), nullptr);
    EXPECT_EQ(h.DefaultAttributeFor(kRoleWhitespace), h.SpaceAttri());
    EXPECT_EQ(h.DefaultAttributeFor(kRoleSymbol), h.SymbolAttri());
    EXPECT_EQ(h.InternalLanguageName(), "HTML");
    EXPECT_EQ(h.DisplayLanguageName(), u"HTML");
    EXPECT_FALSE(h.IsCaseSensitive());
    EXPECT_EQ(h.DefaultFilter(), "HTML Documents (*.htm;*.html)|*.htm;*.html");
    EXPECT_FALSE(h.IsDefaultFilterStored());
    h.SetDefaultFilter("Pages|*.htm");
    EXPECT_TRUE(h.IsDefaultFilterStored());
    EXPECT_EQ(h.CurrentRangeState(), 4);
    for (int state : {-1, 9, 200}) {
        h.RestoreRangeState(state);
        EXPECT_EQ(h.CurrentRangeState(), 4);
    }
}

TEST(HtmlHighlighter, EveryListedTagNameIsAKeywordInAnyCase) {
    THtmlHighlighter h;
    EXPECT_EQ(h.TagNameBuckets().KeywordCount(), kHtmlTagNameCount);
    for (auto name : HtmlTagNames()) {
        std::u16string lower(name.begin(), name.end());
        std::u16string upper = lower;
        for (char16_t& c : upper) {
            if (c >= u'a' && c <= u'z') {
                c = static_cast<char16_t>(c - 32);
            }
        }
        for (const auto& word : {lower, upper}) {
            auto tokens = test::ScanOneLine(h, u"<" + word + u">");
            ASSERT_EQ(tokens.size(), 3u) << test::Narrow(word);
            EXPECT_EQ(tokens[1], (test::MarkupToken{1, 3, word, "ReservedWord"}));
        }
    }
}

TEST(HtmlHighlighter, DemoTextHasEachConstruct) {
    THtmlHighlighter h;
    auto scan = test::ScanMarkup(h, test::SplitLines(h.DemoText()));
    std::vector<int> count(10, 0);
    for (const auto& line : scan.lines) {
        for (const auto& token : line) {
            ++count.at(static_cast<size_t>(token.kind));
        }
    }
    EXPECT_GT(count[1], 0);  // comment
    EXPECT_GT(count[8], 0);  // a tag outside the table
    EXPECT_GT(count[0], 0);  // entity
    EXPECT_GT(count[9], 0);  // value
    // The single-quoted value spans a line end.
    EXPECT_NE(std::find(scan.states.begin(), scan.states.end(), 7), scan.states.end());
    EXPECT_EQ(scan.states.back(), 4);
}

}  // namespace
}  // namespace kelvara::highlight
