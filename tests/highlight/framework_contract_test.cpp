// Every registered highlighter keeps the scanning contract on arbitrary input: tokens follow
// each other without gaps or overlaps and cover the whole line, every Advance moves on, the
// line finishes after its end-of-line token, and attributes come from the highlighter's list.
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "highlight/highlighter_registry.h"

namespace kelvara::highlight {
namespace {

// Lines mixing the characters the scanners treat specially with random others.
std::vector<std::u16string> RandomLines(std::uint32_t seed, int count) {
    static const char16_t kAlphabet[] =
        u"<>/!?-[]{}()=\"'&#;:.,*+|%x0aZ_ \t\r\n\\$@"
        u"\u00C0\u0416\uE000";
    const size_t alphabetSize = sizeof kAlphabet / sizeof kAlphabet[0] - 1;
    std::vector<std::u16string> lines;
    for (int i = 0; i < count; ++i) {
        std::u16string line;
        seed = seed * 1664525u + 1013904223u;
        const int length = static_cast<int>((seed >> 16) % 40);
        for (int j = 0; j < length; ++j) {
            seed = seed * 1664525u + 1013904223u;
            const std::uint32_t r = seed >> 8;
            if (r % 23 == 0) {
                line.push_back(u'\0');
            } else if (r % 29 == 0) {
                line.push_back(static_cast<char16_t>(0xD800 + r % 0x800));  // stray surrogate
            } else {
                line.push_back(kAlphabet[r % alphabetSize]);
            }
        }
        lines.push_back(line);
    }
    // Fixed lines with constructs that open on one line and close on another.
    for (const char16_t* fixed : {u"<!-- open", u"-->", u"/* open", u"*/", u"<a href=\"x", u"y\">",
                                  u"<![CDATA[", u"]]>", u"<!DOCTYPE x [", u"]>", u""}) {
        lines.emplace_back(fixed);
    }
    return lines;
}

void CheckContract(TCustomHighlighter& h, const std::vector<std::u16string>& lines) {
    std::set<const THighlighterAttributes*> own = {nullptr};
    for (int i = 0; i < h.AttributeCount(); ++i) {
        own.insert(h.AttributeAt(i));
    }
    h.ClearRangeState();
    for (size_t n = 0; n < lines.size(); ++n) {
        const std::u16string& line = lines[n];
        h.StartLine(line, static_cast<int>(n));
        std::u16string joined;
        int expectedStart = 0;
        size_t tokens = 0;
        while (!h.LineFinished()) {
            ASSERT_LE(++tokens, line.size() + 1) << "no progress in line " << n;
            ASSERT_EQ(h.TokenStart(), expectedStart) << "gap or overlap in line " << n;
            joined += h.TokenText();
            expectedStart += static_cast<int>(h.TokenText().size());
            EXPECT_TRUE(own.count(h.TokenAttribute())) << "foreign attribute in line " << n;
            h.Advance();
        }
        // Only the end-of-line token is left unread: it covers nothing of the line.
        EXPECT_EQ(joined, line) << "line " << n;
        EXPECT_EQ(h.RunPosition(), static_cast<int>(line.size()) + 1) << "line " << n;
        const int state = h.CurrentRangeState();
        h.RestoreRangeState(state);
        EXPECT_EQ(h.CurrentRangeState(), state);
    }
}

class HighlighterContract : public ::testing::TestWithParam<std::string_view> {};

TEST_P(HighlighterContract, HoldsOnArbitraryLines) {
    std::unique_ptr<TCustomHighlighter> h = CreateHighlighter(GetParam());
    if (!h) {
        GTEST_SKIP() << "no highlighter for " << GetParam();
    }
    for (std::uint32_t seed : {1u, 2u, 3u, 4u}) {
        CheckContract(*h, RandomLines(seed, 300));
        if (HasFatalFailure()) {
            return;
        }
    }
    // The same must hold when the view passes an expanded line.
    h->ClearRangeState();
    h->StartLineExpanded(u"a\u4E00b", u"a\uE000\u4E00b", 0);
    h->AdvanceToLineEnd();
    EXPECT_TRUE(h->LineFinished());
}

TEST_P(HighlighterContract, EmptyLineFinishesAtOnce) {
    std::unique_ptr<TCustomHighlighter> h = CreateHighlighter(GetParam());
    if (!h) {
        GTEST_SKIP() << "no highlighter for " << GetParam();
    }
    h->ClearRangeState();
    h->StartLine(u"", 0);
    EXPECT_TRUE(h->LineFinished());
}

INSTANTIATE_TEST_SUITE_P(Languages, HighlighterContract,
                         ::testing::ValuesIn(HighlighterLanguages().begin(),
                                             HighlighterLanguages().end()),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
}  // namespace kelvara::highlight
