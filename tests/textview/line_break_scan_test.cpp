#include "textview/line_break_scan.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "textview/text_file_loading.h"

namespace kelvara::textview {
namespace {

struct Split {
    std::vector<TextLineSpan> lines;
    LineBreakKind kind = LineBreakKind::Dos;
};

// The splitting rule one character at a time, as the line store documents it.
Split ReferenceSplit(const std::u16string& text) {
    Split split;
    bool cr = false, lf = false, separator = false;
    size_t i = 0;
    const size_t n = text.size();
    while (i < n) {
        const size_t start = i;
        while (i < n && text[i] != 13 && text[i] != 10 && text[i] != 0x2028) {
            ++i;
        }
        split.lines.push_back({start, i - start});
        if (i < n && text[i] == 0x2028) {
            separator = true;
            ++i;
        }
        if (i < n && text[i] == 13) {
            cr = true;
            ++i;
        }
        if (i < n && text[i] == 10) {
            lf = true;
            ++i;
        }
    }
    if (n > 0 && (text[n - 1] == 13 || text[n - 1] == 10 || text[n - 1] == 0x2028)) {
        split.lines.push_back({n, 0});
    }
    split.kind = separator     ? LineBreakKind::Unicode
                 : (cr && !lf) ? LineBreakKind::Mac
                 : (lf && !cr) ? LineBreakKind::Unix
                               : LineBreakKind::Dos;
    return split;
}

Split FastSplit(const std::u16string& text) {
    Split split;
    split.kind = ForEachLine(text, [&split](size_t start, size_t length) {
        split.lines.push_back({start, length});
    });
    return split;
}

void ExpectSameSplit(const std::u16string& text) {
    const Split expected = ReferenceSplit(text);
    const Split actual = FastSplit(text);
    ASSERT_EQ(actual.lines.size(), expected.lines.size());
    for (size_t i = 0; i < expected.lines.size(); ++i) {
        ASSERT_EQ(actual.lines[i].start, expected.lines[i].start) << "line " << i;
        ASSERT_EQ(actual.lines[i].length, expected.lines[i].length) << "line " << i;
    }
    EXPECT_EQ(actual.kind, expected.kind);
    EXPECT_EQ(CountLines(text), expected.lines.size());
    EXPECT_EQ(CountLinesOf(text.data(), text.size()), expected.lines.size());
}

TEST(LineBreakScan, FindsEachBreakCharacterAtEveryOffset) {
    // Every offset within and across the eight-character blocks, and the scalar tail.
    for (char16_t mark : {u'\n', u'\r', char16_t(0x2028)}) {
        for (size_t length = 0; length < 40; ++length) {
            for (size_t at = 0; at <= length; ++at) {
                std::u16string text(length, u'x');
                if (at < length) {
                    text[at] = mark;
                }
                for (size_t from = 0; from <= at && from <= length; ++from) {
                    ASSERT_EQ(FindLineBreak(text.data(), from, text.size()), at)
                        << "length " << length << " mark at " << at << " from " << from;
                }
            }
        }
    }
}

TEST(LineBreakScan, CountsBreaksOfEveryShapeAtEveryOffset) {
    const std::u16string breaks[] = {u"\n",     u"\r",           u"\r\n",     u"\n\r",
                                     u"\u2028", u"\u2028\r",     u"\u2028\n", u"\u2028\r\n",
                                     u"\r\r\n", u"\u2028\u2028", u"\n\u2028", u"\r\u2028\n"};
    for (const std::u16string& mark : breaks) {
        for (size_t before = 0; before < 20; ++before) {
            for (size_t after = 0; after < 20; ++after) {
                ExpectSameSplit(std::u16string(before, u'x') + mark + std::u16string(after, u'y'));
                if (HasFailure()) {
                    FAIL() << "break of " << mark.size() << " at " << before << "+" << after;
                }
            }
        }
    }
}

TEST(LineBreakScan, CountsTheLinesOfALongText) {
    // Long enough for the counters of the vector loop to be flushed on the way.
    std::u16string text;
    size_t lines = 0;
    for (int i = 0; text.size() < 600000; ++i) {
        text += i % 3 ? u"a\r\n" : (i % 5 ? u"\n" : u"bc\u2028");
        ++lines;
    }
    EXPECT_EQ(CountLinesOf(text.data(), text.size()), lines + 1);
    EXPECT_EQ(CountLines(text), lines + 1);
    EXPECT_EQ(CountLinesOf(text.data(), 0), 0u);
}

TEST(LineBreakScan, IgnoresCharactersThatOnlyLookLikeBreaks) {
    // Codes sharing a byte with LF, CR or U+2028, and the other control codes.
    const std::u16string text = {0x0A0A, 0x0D0D, 0x2020, 0x2828, 0x280A, 0x0A28, 0x200D,
                                 0x2029, 0x0B,   0x0C,   0x00,   0x09,   0x0E,   0xFFFF,
                                 0x2027, 0x010A, 0x0D00, 0x0A00, u'a',   u'b'};
    EXPECT_EQ(FindLineBreak(text.data(), 0, text.size()), text.size());
    ExpectSameSplit(text);
}

TEST(LineBreakScan, SplitsLikeTheCharacterByCharacterRule) {
    std::mt19937 random(20240611);
    const char16_t alphabet[] = {u'a', u'\n', u'\r', 0x2028, 0, u' ', 0x0D0A, 0x410};
    for (int round = 0; round < 2000; ++round) {
        const size_t length = random() % 200;
        // Mostly text with breaks of every kind here and there, some rounds dense with breaks.
        const unsigned density = 1 + random() % 40;
        std::u16string text;
        for (size_t i = 0; i < length; ++i) {
            text.push_back(random() % density == 0 ? alphabet[1 + random() % 3]
                                                   : alphabet[random() % 8]);
        }
        ExpectSameSplit(text);
    }
}

}  // namespace
}  // namespace kelvara::textview
