#include "platform/code_pages.h"

#include <gtest/gtest.h>

#include <string>

namespace kelvara::platform {
namespace {

std::string AllUpperHalfBytes() {
    std::string bytes;
    for (int b = 0x80; b <= 0xFF; ++b)
        bytes += static_cast<char>(b);
    return bytes;
}

TEST(CodePages, Windows1251DecodesEveryByteAsThePlatformDoes) {
    // 0x98 is unassigned in the code page's table and decodes to the C1 control U+0098.
    EXPECT_EQ(Windows1251Char(0x98), u'\u0098');
    EXPECT_EQ(Windows1251ToUtf16("a\x98\xCF"), u"a\u0098\u041F");
    EXPECT_EQ(Windows1251ToUtf8("\x98"), "\xC2\x98");
    EXPECT_EQ(Windows1251ToUtf8("\xC7\xE8\xEC\xE0 \x88\xB9"), "Зима €№");

    // Each byte is one character, none is lost or replaced, and encoding gives the bytes back.
    const std::string bytes = AllUpperHalfBytes();
    const std::u16string text = Windows1251ToUtf16(bytes);
    ASSERT_EQ(text.size(), 128u);
    EXPECT_EQ(text.find(u'?'), std::u16string::npos);
    EXPECT_EQ(text.find(u'\uFFFD'), std::u16string::npos);
    EXPECT_EQ(Utf8ToWindows1251(Windows1251ToUtf8(bytes)), bytes);
}

TEST(CodePages, Cp866NamesDecodeByteByByte) {
    EXPECT_EQ(Cp866ToUtf8(""), "");
    EXPECT_EQ(Cp866ToUtf8("css/style.css"), "css/style.css");
    // Letters of both halves, Ё, a box-drawing character and the no-break space at 0xFF.
    EXPECT_EQ(Cp866ToUtf8("\x97\xA0\xE1\xEB.png"), "Часы.png");
    EXPECT_EQ(Cp866ToUtf8("\xF0\xF1\xC4\xFF"), "Ёё─\u00A0");
    EXPECT_EQ(Cp866ToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
    // Every upper-half byte is one character, none replaced.
    const std::string upper = Cp866ToUtf8(AllUpperHalfBytes());
    EXPECT_EQ(upper.find('?'), std::string::npos);
    EXPECT_EQ(Utf8ToUtf16(upper).size(), 128u);
}

TEST(CodePages, CharactersOutsideWindows1251BecomeOneQuestionMarkEach) {
    EXPECT_EQ(Utf8ToWindows1251("Часы"), "\xD7\xE0\xF1\xFB");
    EXPECT_EQ(Utf8ToWindows1251("a漢b😀c"), "a?b?c");
    EXPECT_EQ(Utf8ToWindows1251("\xC2\x98"), "\x98");
}

// Each maximal ill-formed subpart is one U+FFFD: the longest start of a well-formed sequence,
// or a single byte that cannot begin one.
TEST(CodePages, IllFormedUtf8GivesOneReplacementPerMaximalSubpart) {
    const struct {
        std::string bytes;
        std::u16string text;
    } cases[] = {
        {"\xC0\xAF", u"\uFFFD\uFFFD"},  // overlong lead, then a lone trail
        {"\xE2\x82 ", u"\uFFFD "},      // truncated by a blank
        {"x\xE2\x82", u"x\uFFFD"},      // truncated by the end
        {"\xF0\x9F\x98"
         "A",
         u"\uFFFDA"},                                       // three of four bytes
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},            // a surrogate
        {"\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},            // overlong three-byte form
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // past U+10FFFF
        {"\xF5\xFF\x80", u"\uFFFD\uFFFD\uFFFD"},            // bytes that never start one
        {"\xF0\x9F\x98\x80\xEF\xBF\xBF\xED\x9F\xBF", u"\U0001F600\uFFFF\uD7FF"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utf8ToUtf16(c.bytes), c.text) << c.bytes;
        std::u16string strict;
        const bool valid = c.text.find(u'\uFFFD') == std::u16string::npos;
        EXPECT_EQ(TryUtf8ToUtf16(c.bytes, strict), valid) << c.bytes;
        EXPECT_EQ(IsValidUtf8(c.bytes), valid) << c.bytes;
    }
    // Long ASCII runs on both sides of a bad byte.
    EXPECT_EQ(Utf8ToUtf16("abcdefghijklmnop\x80qrstuvwxyz0123456"),
              u"abcdefghijklmnop\uFFFDqrstuvwxyz0123456");
}

TEST(CodePages, EightBitTextIsUtf8WhenValidElseWindows1251) {
    EXPECT_EQ(EightBitToUtf16("\xD0\x96"), u"\u0416");
    EXPECT_EQ(EightBitToUtf16("\x82\xA0\x98"), u"\u201A\u00A0\u0098");
    EXPECT_EQ(EightBitToUtf16("\xC0\xAF"), u"\u0410\u0407");
}

}  // namespace
}  // namespace kelvara::platform
