// AdvanceToLineEnd runs each highlighter's own loop; it must end where the token-by-token loop
// ends, after as many tokens, in the same range state.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "highlight/highlighter_registry.h"

namespace kelvara::highlight {
namespace {

std::vector<std::u16string> SampleLines(std::uint32_t seed) {
    std::vector<std::u16string> lines = {
        u"<?xml version=\"1.0\"?><!DOCTYPE x [ <!ENTITY a \"b\"> ]>",
        u"<a href='x&amp;y' xmlns:b=\"u\">text &lt; more<!-- note",
        u"still comment --><![CDATA[ raw ]]> </a>",
        u"body { COLOR: #FFF; font-size: 12px } /* open",
        u"close */ h1, .x > p:hover { margin: -1.5em 0 }",
        u"var s = 'str', r = /re[/]x/g; // line comment",
        u"function f(a) { return a >= 0x1F ? \"\\\"\" : `t`; } /* js",
        u"*/ if (x) { y++; }",
        u"",
        u"\t \r\n",
        std::u16string(1, u'\0') + u"zero\u0416\U0001F600",
    };
    // Random characters from the markup and code alphabets.
    std::mt19937 random(seed);
    const std::u16string alphabet = u"<>!?/-='\"&;#:.,{}()[]*\\ \tabcXYZ019\u00E9\u4E00\r\n";
    for (int i = 0; i < 200; ++i) {
        std::u16string line;
        const size_t length = random() % 60;
        for (size_t k = 0; k < length; ++k) {
            line.push_back(alphabet[random() % alphabet.size()]);
        }
        lines.push_back(line);
    }
    return lines;
}

class AdvanceLoop : public ::testing::TestWithParam<const char*> {};

TEST_P(AdvanceLoop, EndsLikeTheTokenLoop) {
    std::unique_ptr<TCustomHighlighter> looped = CreateHighlighter(GetParam());
    std::unique_ptr<TCustomHighlighter> stepped = CreateHighlighter(GetParam());
    ASSERT_TRUE(looped && stepped);
    for (std::uint32_t seed : {1u, 2u, 3u}) {
        looped->ClearRangeState();
        stepped->ClearRangeState();
        int index = 0;
        for (const std::u16string& line : SampleLines(seed)) {
            looped->StartLine(line, index);
            stepped->StartLine(line, index);
            int tokens = 0;
            for (; !stepped->LineFinished(); stepped->Advance()) {
                ++tokens;
            }
            ASSERT_EQ(looped->AdvanceToLineEnd(), tokens) << "line " << index;
            EXPECT_TRUE(looped->LineFinished());
            EXPECT_EQ(looped->RunPosition(), stepped->RunPosition());
            ASSERT_EQ(looped->CurrentRangeState(), stepped->CurrentRangeState())
                << "line " << index;
            // A second call finds the line finished.
            EXPECT_EQ(looped->AdvanceToLineEnd(), 0);
            looped->RestoreRangeState(looped->CurrentRangeState());
            stepped->RestoreRangeState(stepped->CurrentRangeState());
            ++index;
        }
    }
}

TEST_P(AdvanceLoop, ALineMayBeTheHighlightersOwnTokenText) {
    std::unique_ptr<TCustomHighlighter> h = CreateHighlighter(GetParam());
    ASSERT_TRUE(h);
    h->ClearRangeState();
    const std::u16string first = u"Some TEXT in Letters of Both Cases \u0416\u00C9 and more";
    h->StartLine(first, 0);
    std::u16string longest;
    for (; !h->LineFinished(); h->Advance()) {
        if (h->TokenTextView().size() > longest.size()) {
            longest = h->TokenTextView();
        }
    }
    // Scan the longest token's text again, straight from the highlighter's own buffer.
    h->StartLine(first, 0);
    while (h->TokenTextView() != longest) {
        h->Advance();
    }
    h->StartLine(h->TokenTextView(), 1);
    std::u16string joined;
    for (; !h->LineFinished(); h->Advance()) {
        joined += h->TokenTextView();
    }
    EXPECT_EQ(joined, longest);
}

INSTANTIATE_TEST_SUITE_P(Languages, AdvanceLoop, ::testing::Values("xml", "html", "css", "js"));

}  // namespace
}  // namespace kelvara::highlight
