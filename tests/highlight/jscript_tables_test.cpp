#include <gtest/gtest.h>

#include <set>

#include "css_jscript_token_list.h"
#include "highlight/jscript_form_values.h"
#include "highlight/jscript_highlighter.h"
#include "highlight/jscript_keywords.h"

namespace kelvara::highlight::test {
namespace {

using Stored = THighlighterAttributes::StoredProperty;

TEST(JScriptKeywordTable, PutsEveryKeywordIntoABucketOfItsOwn) {
    const auto& keywords = JScriptKeywords();
    std::set<int> buckets;
    std::set<std::string_view> texts;
    int perKind[11] = {};
    for (const JScriptKeyword& keyword : keywords) {
        buckets.insert(JScriptBucketOf(JScriptWordHash::OfWord(keyword.text)));
        texts.insert(keyword.text);
        ++perKind[static_cast<int>(keyword.kind)];
    }
    EXPECT_EQ(texts.size(), 399u);
    EXPECT_EQ(buckets.size(), 399u);
    EXPECT_EQ(perKind[static_cast<int>(JScriptTokenKind::Key)], 63);
    EXPECT_EQ(perKind[static_cast<int>(JScriptTokenKind::Event)], 20);
    EXPECT_EQ(perKind[static_cast<int>(JScriptTokenKind::NonReservedKey)], 316);

    TJScriptHighlighter h;
    EXPECT_EQ(h.Keywords().BucketCount(), 5153);
    EXPECT_EQ(h.Keywords().KeywordCount(), 399);
    for (const JScriptKeyword& keyword : keywords) {
        const std::u16string text(keyword.text.begin(), keyword.text.end());
        const std::vector<Token> tokens = ScanLine(h, text + u"(", 0);
        ASSERT_EQ(tokens.size(), 2u) << keyword.text;
        EXPECT_EQ(tokens[0], Tok(text, keyword.kind));
        // One letter more or less is an identifier.
        EXPECT_EQ(ScanLine(h, text + u"_", 0)[0].kind,
                  static_cast<int>(JScriptTokenKind::Identifier));
    }
}

TEST(JScriptHighlighterSetup, AttributesNamesAndDefaults) {
    TJScriptHighlighter h;
    std::vector<std::string> names;
    for (int i = 0; i < h.AttributeCount(); ++i) {
        const THighlighterAttributes* a = h.AttributeAt(i);
        names.push_back(a->Name());
        EXPECT_EQ(a->Foreground(), kColorNone) << a->Name();
        EXPECT_EQ(a->Background(), kColorNone) << a->Name();
    }
    EXPECT_EQ(names,
              (std::vector<std::string>{"Comment", "Event", "Identifier", "NonreservedKeyword",
                                        "Number", "ReservedWord", "Space", "String", "Symbol"}));
    EXPECT_EQ(h.CommentAttri()->Style(), kStyleItalic);
    EXPECT_EQ(h.KeyAttri()->Style(), kStyleBold);
    EXPECT_EQ(h.NonReservedKeyAttri()->FriendlyName(), u"Non-reserved Keyword");

    EXPECT_EQ(h.DefaultAttributeFor(kRoleComment), h.CommentAttri());
    EXPECT_EQ(h.DefaultAttributeFor(kRoleIdentifier), h.IdentifierAttri());
    EXPECT_EQ(h.DefaultAttributeFor(kRoleKeyword), h.KeyAttri());
    EXPECT_EQ(h.DefaultAttributeFor(kRoleString), h.StringAttri());
    EXPECT_EQ(h.DefaultAttributeFor(kRoleWhitespace), h.SpaceAttri());
    EXPECT_EQ(h.DefaultAttributeFor(kRoleSymbol), h.SymbolAttri());
    EXPECT_EQ(h.DefaultAttributeFor(6), nullptr);

    EXPECT_TRUE(h.IsCaseSensitive());
    EXPECT_EQ(h.CurrentRangeState(), 0);
    EXPECT_EQ(h.InternalLanguageName(), "JavaScript");
    EXPECT_EQ(h.DisplayLanguageName(), u"JavaScript");
    EXPECT_EQ(h.DefaultFilter(), "Javascript Files (*.js)|*.js");
    EXPECT_FALSE(h.IsDefaultFilterStored());
}

TEST(JScriptHighlighterSetup, ViewerFormStoresExactlyItsOverrides) {
    TJScriptHighlighter h;
    // Setting a constructor value again is no override.
    h.KeyAttri()->SetStyle(kStyleBold);
    h.IdentifierAttri()->SetForeground(kColorNone);
    ApplyViewerFormValues(h);

    EXPECT_EQ(h.CommentAttri()->StoredProperties(),
              (std::vector<Stored>{{"Foreground", 0xFF00001Du}}));
    EXPECT_EQ(h.KeyAttri()->StoredProperties(), (std::vector<Stored>{{"Foreground", 0x800080u}}));
    EXPECT_EQ(h.SymbolAttri()->StoredProperties(),
              (std::vector<Stored>{{"Foreground", 0x008000u}, {"Style", kStyleBold}}));
    for (const THighlighterAttributes* other :
         {h.IdentifierAttri(), h.NonReservedKeyAttri(), h.EventAttri(), h.NumberAttri(),
          h.SpaceAttri(), h.StringAttri()}) {
        EXPECT_TRUE(other->StoredProperties().empty()) << other->Name();
    }
    EXPECT_EQ(h.CommentAttri()->Style(), kStyleItalic);
}

}  // namespace
}  // namespace kelvara::highlight::test
