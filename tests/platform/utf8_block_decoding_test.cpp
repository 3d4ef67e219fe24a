// The UTF-8 decoder takes runs of ASCII in blocks; a sequence of any length must decode the
// same wherever it falls relative to those blocks.
#include <gtest/gtest.h>

#include <string>

#include "platform/code_pages.h"

namespace kelvara::platform {
namespace {

struct Piece {
    std::string bytes;
    std::u16string text;
};

TEST(Utf8BlockDecoding, SequencesAtEveryOffsetOfTheBlocks) {
    const Piece pieces[] = {
        {"\x7F", u"\x7F"},
        {"\xC3\xA9", u"\u00E9"},
        {"\xE2\x80\xA8", u"\u2028"},
        {"\xF0\x9F\x98\x80", u"\U0001F600"},
    };
    for (const Piece& piece : pieces) {
        for (size_t before = 0; before < 40; ++before) {
            for (size_t after : {size_t{0}, size_t{1}, size_t{7}, size_t{8}, size_t{15}, size_t{16},
                                 size_t{17}, size_t{33}}) {
                const std::string bytes =
                    std::string(before, 'a') + piece.bytes + std::string(after, 'z');
                const std::u16string text =
                    std::u16string(before, u'a') + piece.text + std::u16string(after, u'z');
                std::u16string strict;
                ASSERT_TRUE(TryUtf8ToUtf16(bytes, strict)) << before << "+" << after;
                ASSERT_EQ(strict, text) << before << "+" << after;
                ASSERT_EQ(Utf8ToUtf16(bytes), text) << before << "+" << after;
            }
        }
    }
}

TEST(Utf8BlockDecoding, IllFormedBytesAtEveryOffset) {
    for (const char* bad : {"\x80", "\xFF", "\xC3", "\xE2\x80"}) {
        for (size_t before = 0; before < 40; ++before) {
            for (size_t after : {size_t{0}, size_t{5}, size_t{16}, size_t{31}}) {
                const std::string bytes = std::string(before, 'b') + bad + std::string(after, 'y');
                std::u16string strict;
                ASSERT_FALSE(TryUtf8ToUtf16(bytes, strict)) << before << "+" << after;
                EXPECT_EQ(Utf8ToUtf16(bytes),
                          std::u16string(before, u'b') + u"\uFFFD" + std::u16string(after, u'y'))
                    << before << "+" << after;
            }
        }
    }
}

TEST(Utf8BlockDecoding, LongAsciiRunsKeepEveryByte) {
    std::string bytes;
    std::u16string text;
    for (int i = 0; i < 1000; ++i) {
        const char c = static_cast<char>(i % 128);
        bytes.push_back(c);
        text.push_back(static_cast<char16_t>(c));
    }
    EXPECT_EQ(Utf8ToUtf16(bytes), text);
    EXPECT_EQ(EightBitToUtf16(bytes), text);
}

}  // namespace
}  // namespace kelvara::platform
