#include <gtest/gtest.h>

#include <map>
#include <set>

#include "css_jscript_token_list.h"
#include "highlight/css_highlighter.h"
#include "highlight/css_keyword_hash.h"
#include "highlight/css_property_names.h"
#include "highlight/highlighter_list.h"
#include "highlight/highlighter_registry.h"
#include "highlight/jscript_highlighter.h"
#include "highlight/keyword_list_walk.h"

namespace kelvara::highlight::test {
namespace {

std::vector<std::u16string> PropertyNames() {
    std::vector<std::u16string> names;
    std::u16string list;
    for (const char* p = kCssPropertyNames; *p; ++p) {
        list.push_back(static_cast<char16_t>(*p));
    }
    ForEachKeyword(
        1, list, [](char16_t c) { return TCssHighlighter::IsCssIdentifierCode(c); },
        [&](std::u16string_view name, int) { names.emplace_back(name); });
    return names;
}

TEST(CssHash, SumsLetterPositionsThenTrailingDigits) {
    EXPECT_EQ(HashCssWord(std::u16string_view(u"z-index")).hash, 26u + 9 + 14 + 4 + 5 + 24);
    EXPECT_EQ(HashCssWord(std::u16string_view(u"A_b")).hash, 1u + 27 + 2);
    const CssWordHash withDigits = HashCssWord(std::u16string_view(u"ab12x3"));
    EXPECT_EQ(withDigits.hash, 1u + 2 + 1 + 2);
    EXPECT_EQ(withDigits.length, 4u);  // letters after the digits end the word
    EXPECT_EQ(HashCssWord(std::u16string_view(u"9a")).length, 1u);  // digits only
    EXPECT_EQ(HashCssWord(std::u16string_view(u"-")).hash, 0u);
}

TEST(CssKeywordTable, HoldsTheHundredAndTwentyTwoNamesInShortChains) {
    const std::vector<std::u16string> names = PropertyNames();
    ASSERT_EQ(names.size(), static_cast<size_t>(kCssPropertyCount));
    EXPECT_EQ(std::set<std::u16string>(names.begin(), names.end()).size(), names.size());

    std::map<std::uint32_t, int> chainLength;
    for (const std::u16string& name : names) {
        const CssWordHash word = HashCssWord(std::u16string_view(name));
        EXPECT_EQ(word.length, name.size()) << "hash walk stops inside a name";
        EXPECT_GE(word.hash, 29u);
        EXPECT_LE(word.hash, 258u);
        ++chainLength[word.hash];
    }

    TCssHighlighter h;
    const THashEntryList& table = h.Keywords();
    EXPECT_EQ(table.Count(), 259);
    int entries = 0;
    int longest = 0;
    for (std::uint32_t slot = 0; slot < 259; ++slot) {
        int length = 0;
        int previousSize = 0;
        for (const THashEntry* e = table.Get(slot); e; e = e->Next()) {
            EXPECT_EQ(HashCssWord(std::u16string_view(e->Keyword())).hash, slot);
            EXPECT_GE(e->KeywordLength(), previousSize) << "chain not ordered by length";
            EXPECT_EQ(e->Kind(), static_cast<int>(CssTokenKind::Property));
            previousSize = e->KeywordLength();
            ++length;
        }
        EXPECT_EQ(length, chainLength.count(slot) ? chainLength[slot] : 0);
        entries += length;
        longest = std::max(longest, length);
    }
    EXPECT_EQ(entries, kCssPropertyCount);
    EXPECT_EQ(longest, 5);
}

TEST(CssKeywordTable, EveryNameScansAsAKnownPropertyInAnyCase) {
    TCssHighlighter h;
    for (const std::u16string& name : PropertyNames()) {
        std::u16string upper = name;
        for (char16_t& c : upper) {
            c = (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
        }
        for (const std::u16string& spelling : {name, upper}) {
            const std::vector<Token> tokens =
                ScanLine(h, spelling + u":", static_cast<int>(CssRangeState::BlockStart));
            ASSERT_FALSE(tokens.empty());
            EXPECT_EQ(tokens[0], Tok(spelling, CssTokenKind::Property));
        }
    }
}

TEST(CssHighlighterSetup, AttributesNamesAndDefaults) {
    TCssHighlighter h;
    std::vector<std::string> names;
    for (int i = 0; i < h.AttributeCount(); ++i) {
        names.push_back(h.AttributeAt(i)->Name());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"ColorValue", "Comment", "Number", "Property",
                                               "ReservedWord", "Space", "String", "Symbol", "Text",
                                               "UndefinedProperty", "Value"}));
    EXPECT_EQ(h.AttributeAt(-1), nullptr);
    EXPECT_EQ(h.AttributeAt(h.AttributeCount()), nullptr);

    EXPECT_EQ(h.KeyAttri()->Foreground(), 0xFF0080u);
    EXPECT_EQ(h.KeyAttri()->Style(), kStyleBold);
    EXPECT_EQ(h.UndefPropertyAttri()->Foreground(), 0xFF0080u);
    EXPECT_EQ(h.PropertyAttri()->Foreground(), kColorNone);
    EXPECT_EQ(h.PropertyAttri()->Style(), kStyleBold);
    EXPECT_EQ(h.ValueAttri()->Foreground(), 0xFF8000u);
    EXPECT_EQ(h.ColorAttri()->FriendlyName(), u"Color Value");
    for (int i = 0; i < h.AttributeCount(); ++i) {
        EXPECT_TRUE(h.AttributeAt(i)->StoredProperties().empty()) << h.AttributeAt(i)->Name();
    }

    EXPECT_EQ(h.DefaultAttributeFor(kRoleComment), h.CommentAttri());
    EXPECT_EQ(h.DefaultAttributeFor(kRoleIdentifier), nullptr);
    EXPECT_EQ(h.DefaultAttributeFor(kRoleKeyword), h.KeyAttri());
    EXPECT_EQ(h.DefaultAttributeFor(kRoleString), h.StringAttri());
    EXPECT_EQ(h.DefaultAttributeFor(kRoleWhitespace), h.SpaceAttri());
    EXPECT_EQ(h.DefaultAttributeFor(kRoleSymbol), nullptr);

    EXPECT_FALSE(h.IsCaseSensitive());
    EXPECT_EQ(h.CurrentRangeState(), static_cast<int>(CssRangeState::Selector));
    EXPECT_EQ(h.InternalLanguageName(), "CascadingStyleSheet");
    EXPECT_EQ(h.DisplayLanguageName(), u"Cascading Style Sheet");
    EXPECT_EQ(h.DefaultFilter(), "Cascading Stylesheets (*.css)|*.css");
    EXPECT_FALSE(h.IsDefaultFilterStored());
    h.SetDefaultFilter("Styles|*.css");
    EXPECT_TRUE(h.IsDefaultFilterStored());

    EXPECT_TRUE(h.IsIdentifierChar(u'-'));
    EXPECT_FALSE(h.IsIdentifierChar(u'.'));
}

TEST(CssHighlighterSetup, DemoTextShowsACommentAndTwoRules) {
    TCssHighlighter h;
    std::vector<std::u16string> lines;
    const std::u16string demo = h.DemoText();
    for (size_t start = 0;;) {
        const size_t end = demo.find(u'\n', start);
        lines.push_back(demo.substr(start, end - start));
        if (end == std::u16string::npos) {
            break;
        }
        start = end + 1;
    }
    ASSERT_EQ(lines.size(), 3u);
    std::vector<std::vector<Token>> tokens;
    LineStates(h, lines, &tokens);
    EXPECT_EQ(tokens[0],
              (std::vector<Token>{Tok(u"/* Syntax Highlighting */", CssTokenKind::Comment)}));
    auto has = [&](const Token& token) {
        return std::find(tokens[2].begin(), tokens[2].end(), token) != tokens[2].end();
    };
    EXPECT_TRUE(has(Tok(u"#000099", CssTokenKind::Color)));
    EXPECT_TRUE(has(Tok(u"made-up-property", CssTokenKind::UndefinedProperty)));
    EXPECT_TRUE(has(Tok(u"18", CssTokenKind::Number)));
}

TEST(ScriptHighlighterClasses, ReachableByLanguageAndInTheClassList) {
    EXPECT_NE(dynamic_cast<TCssHighlighter*>(CreateHighlighter("css").get()), nullptr);
    EXPECT_NE(dynamic_cast<TJScriptHighlighter*>(CreateHighlighter("js").get()), nullptr);
    for (const char* name : {"CascadingStyleSheet", "JavaScript"}) {
        const THighlighterList::Entry* entry = HighlighterClasses().Find(name);
        ASSERT_NE(entry, nullptr) << name;
        EXPECT_EQ(entry->create()->InternalLanguageName(), name);
    }
}

}  // namespace
}  // namespace kelvara::highlight::test
