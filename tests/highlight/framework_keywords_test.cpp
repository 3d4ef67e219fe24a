// Keyword tables (chained hash list and bucket table), the keyword-list walk, the character
// classes and the case mapping.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework_test_highlighter.h"
#include "highlight/case_mapping.h"
#include "highlight/hash_entry_list.h"
#include "highlight/highlighter_errors.h"
#include "highlight/highlighter_list.h"
#include "highlight/highlighter_registry.h"
#include "highlight/keyword_list_walk.h"
#include "highlight/system_colors.h"

namespace kelvara::highlight::test {
namespace {

std::vector<std::u16string> ChainOf(const THashEntryList& list, std::uint32_t hash) {
    std::vector<std::u16string> keywords;
    for (const THashEntry* e = list.Get(hash); e; e = e->Next()) {
        keywords.push_back(e->Keyword());
    }
    return keywords;
}

// Letters 1..26 by upper-case position, as the style-sheet table hashes its names.
std::uint32_t LetterSum(std::u16string_view word) {
    std::uint32_t sum = 0;
    for (char16_t c : word) {
        sum += (c >= u'a' ? c - u'a' : c - u'A') + 1;
    }
    return sum;
}

TEST(HashEntryList, GrowsToTheHashAndAnswersNoneOutside) {
    THashEntryList list;
    EXPECT_EQ(list.Get(0), nullptr);
    list.Put(LetterSum(u"color"), u"color", 1);  // 3+15+12+15+18 = 63
    EXPECT_EQ(list.Count(), 64);
    EXPECT_EQ(list.Get(62), nullptr);
    EXPECT_EQ(list.Get(64), nullptr);
    EXPECT_EQ(list.Get(0xFFFFFFFFu), nullptr);
    ASSERT_NE(list.Get(63), nullptr);
    EXPECT_EQ(list.Get(63)->KeywordLength(), 5);
    list.Put(3, u"c", 1);  // a lower hash does not shrink the list
    EXPECT_EQ(list.Count(), 64);
}

TEST(HashEntryList, ChainsOrderByLengthThenInsertion) {
    THashEntryList list;
    for (const char16_t* k : {u"ccc", u"a", u"bbb", u"dd", u"eeeee", u"f"}) {
        list.Put(7, k, 1);
    }
    EXPECT_EQ(ChainOf(list, 7),
              (std::vector<std::u16string>{u"a", u"f", u"dd", u"ccc", u"bbb", u"eeeee"}));
}

TEST(HashEntryList, DuplicateKeywordNamesTheExistingOne) {
    THashEntryList list;
    list.Put(63, u"color", 1);
    list.Put(63, u"top", 1);
    try {
        list.Put(63, u"Color", 1);
        FAIL() << "duplicate accepted";
    } catch (const EHighlighterError& e) {
        EXPECT_STREQ(e.what(), "Keyword \"color\" already in list");
    }
    EXPECT_EQ(ChainOf(list, 63), (std::vector<std::u16string>{u"top", u"color"}));
}

TEST(HashEntryList, LooksUpTheMeasuredWordInItsChain) {
    THashEntryList list;
    list.Put(LetterSum(u"color"), u"color", 1);
    list.Put(LetterSum(u"color"), u"ffbbu", 2);  // same sum, same length
    TTestHighlighter h(false);
    auto kindOf = [&](std::u16string_view line, std::uint32_t hash) {
        h.StartLine(line, 0);  // the test highlighter measures the first word
        return list.KindOfMeasuredWord(hash, h, -1);
    };
    EXPECT_EQ(kindOf(u"COLOR", 63), 1);
    EXPECT_EQ(kindOf(u"ffbbu", 63), 2);
    EXPECT_EQ(kindOf(u"rolco", 63), -1);  // same sum and length, other letters
    EXPECT_EQ(kindOf(u"colou", 61), -1);  // an empty chain
    EXPECT_EQ(kindOf(u"col", 63), -1);    // shorter than every entry: the walk stops at once
    EXPECT_EQ(kindOf(u"colors", 63), -1);
}

TEST(KeywordBuckets, EmptyBucketAndMismatchGiveTheNonKeywordKind) {
    TKeywordBuckets buckets(11, 9);
    buckets.Place(4, "if", 2);
    EXPECT_EQ(buckets.KeywordIndexAt(4), 0);
    EXPECT_EQ(buckets.KeywordIndexAt(5), -1);
    EXPECT_EQ(buckets.KeywordIndexAt(11), -1);
    EXPECT_THROW(buckets.Place(4, "do", 2), EHighlighterError);
    EXPECT_THROW(buckets.Place(11, "do", 2), EHighlighterError);
    TTestHighlighter h;
    h.StartLine(u"if", 0);
    EXPECT_EQ(buckets.KindOfMeasuredWord(4, h), 2);
    EXPECT_EQ(buckets.KindOfMeasuredWord(3, h), 9);
    EXPECT_EQ(buckets.KindOfMeasuredWord(99, h), 9);
    h.StartLine(u"iff", 0);
    EXPECT_EQ(buckets.KindOfMeasuredWord(4, h), 9);
}

TEST(KeywordBuckets, MultiplyAddHashWrapsAt32Bits) {
    using Hash = MultiplyAddHash<751, 148>;
    std::uint32_t acc = 0;
    for (char16_t c : std::u16string_view(u"getElementById")) {
        acc = Hash()(acc, c);
    }
    std::uint64_t wide = 0;
    for (char c : std::string_view("getElementById")) {
        wide = (wide * 751 + static_cast<std::uint64_t>(c) * 148) & 0xFFFFFFFFu;
    }
    EXPECT_EQ(acc, wide);
    EXPECT_EQ(Hash::OfWord(std::string_view("getElementById")), acc);
}

TEST(ForEachKeyword, SplitsOnNonWordCharactersAndStopsAtZero) {
    std::vector<std::u16string> words;
    const KeywordCallback collect = [&](std::u16string_view w, int kind) {
        EXPECT_EQ(kind, 1);
        words.emplace_back(w);
    };
    const WordCharTest cssWord = [](char16_t c) {
        return c == u'-' || TCustomHighlighter::IsIdentifierCode(c);
    };
    ForEachKeyword(1, u",,azimuth,background-color, z-index,", cssWord, collect);
    EXPECT_EQ(words, (std::vector<std::u16string>{u"azimuth", u"background-color", u"z-index"}));
    words.clear();
    ForEachKeyword(1, std::u16string_view(u"top,\0left", 9), cssWord, collect);
    EXPECT_EQ(words, (std::vector<std::u16string>{u"top"}));
    ForEachKeyword(1, u"top", nullptr, collect);  // no word test: nothing
    ForEachKeyword(1, u"top", cssWord, nullptr);  // no callback: nothing
    EXPECT_EQ(words.size(), 1u);
}

TEST(CharacterClasses, IdentifierSeparatorAndBlank) {
    TTestHighlighter h;
    EXPECT_FALSE(h.IsWordSeparator(u'_'));
    EXPECT_TRUE(h.IsIdentifierChar(u'_'));
    EXPECT_TRUE(h.IsBlankChar(char16_t(200)));
    EXPECT_FALSE(h.IsIdentifierChar(char16_t(200)));
    for (char16_t c : {u'\0', u' ', u'/', u':', u'@', u'[', u'^', u'`', u'{', u'~'}) {
        EXPECT_TRUE(h.IsWordSeparator(c)) << int(c);
        EXPECT_FALSE(h.IsIdentifierChar(c)) << int(c);
    }
    for (char16_t c : {char16_t(167), char16_t(176), char16_t(180)}) {
        EXPECT_TRUE(h.IsWordSeparator(c)) << int(c);
        EXPECT_FALSE(h.IsBlankChar(c)) << int(c);
    }
    for (char16_t c : {u'0', u'9', u'A', u'Z', u'a', u'z'}) {
        EXPECT_TRUE(h.IsIdentifierChar(c));
        EXPECT_FALSE(h.IsWordSeparator(c));
        EXPECT_FALSE(h.IsBlankChar(c));
    }
    EXPECT_TRUE(h.IsBlankChar(u' '));
    EXPECT_TRUE(h.IsBlankChar(u'\t'));
    EXPECT_FALSE(h.IsBlankChar(u'.'));  // a separator, not a blank
    EXPECT_TRUE(h.IsBlankChar(char16_t(127)));
}

TEST(CaseMapping, SimpleUnicodeMappingWithinThePlane) {
    EXPECT_EQ(LowerCased(u"BODY Body"), u"body body");
    EXPECT_EQ(UpperCased(u"font-size"), u"FONT-SIZE");
    EXPECT_EQ(LowerCased(u"\u0414\u041E\u0410\u00C9"), u"\u0434\u043E\u0430\u00E9");
    EXPECT_EQ(UpperCaseChar(u'\u0451'), u'\u0401');
    EXPECT_EQ(LowerCaseChar(char16_t(0xD83D)), char16_t(0xD83D));  // surrogates stay
    EXPECT_EQ(LowerCaseChar(u'1'), u'1');
    EXPECT_TRUE(EqualsIgnoringCase(u"Color", u"cOLOR"));
    EXPECT_FALSE(EqualsIgnoringCase(u"Color", u"Colour"));
    EXPECT_FALSE(EqualsIgnoringCase(u"a-b", u"a_b"));
}

TEST(CaseMapping, LongTextsMapLikeSingleCharacters) {
    // Long enough for whole ASCII blocks, mixed blocks and a tail; includes the characters
    // right next to the letter ranges.
    std::u16string text;
    for (int i = 0; i < 7; ++i) {
        text += u"@AZ[`az{ BODY Font-Size: 12PX; ";
        text += i % 2 ? u"\u0416\u00C9\u0130" : u"";
    }
    text += u"TAIL";
    std::u16string expected;
    for (char16_t c : text) {
        expected.push_back(LowerCaseChar(c));
    }
    EXPECT_EQ(LowerCased(text), expected);
    EXPECT_EQ(LowerCased(u"@AZ[`az{ BODY FONT-SIZE"), u"@az[`az{ body font-size");
}

TEST(SystemColors, EncodingAndNames) {
    EXPECT_EQ(SystemColor(kSysColorMenuHighlight), 0xFF00001Du);
    EXPECT_TRUE(IsSystemColor(0xFF000008u));
    EXPECT_FALSE(IsSystemColor(kColorNone));
    EXPECT_FALSE(IsPlainColor(kColorNone));
    EXPECT_EQ(RgbColor(128, 0, 255), 0x00FF0080u);
    EXPECT_EQ(SystemColorName(kSysColorHighlight), "highlight");
    EXPECT_EQ(SystemColorName(25), "");  // unassigned
    EXPECT_EQ(SystemColorName(kSystemColorCount), "");
}

TEST(HighlighterRegistry, KnowsTheFourLanguagesAndNothingElse) {
    std::vector<std::string_view> names(HighlighterLanguages().begin(),
                                        HighlighterLanguages().end());
    EXPECT_EQ(names, (std::vector<std::string_view>{"xml", "html", "css", "js"}));
    for (std::string_view language : names) {
        EXPECT_NE(CreateHighlighter(language), nullptr) << language;
    }
    EXPECT_EQ(CreateHighlighter("pascal"), nullptr);
    EXPECT_EQ(CreateHighlighter("XML"), nullptr);
    EXPECT_EQ(CreateHighlighter(""), nullptr);
}

}  // namespace
}  // namespace kelvara::highlight::test

namespace kelvara::highlight::test {
namespace {

TEST(HighlighterClassList, EntersEachNameOnce) {
    THighlighterList list;
    EXPECT_TRUE(list.Add("Test", [] { return std::make_unique<TTestHighlighter>(); }));
    EXPECT_FALSE(list.Add("Test", nullptr));
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(list.At(1), nullptr);
    EXPECT_EQ(list.At(-1), nullptr);
    ASSERT_NE(list.Find("Test"), nullptr);
    EXPECT_EQ(list.Find("Test")->create()->InternalLanguageName(), "Test");
    EXPECT_EQ(list.Find("test"), nullptr);
}

}  // namespace
}  // namespace kelvara::highlight::test
