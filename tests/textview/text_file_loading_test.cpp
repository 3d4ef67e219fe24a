#include "textview/text_file_loading.h"

#include <gtest/gtest.h>

#include "platform/process.h"
#include "testkit/temp_folder.h"

namespace kelvara::textview {
namespace {

using Lines = std::vector<std::u16string>;

TEST(TextFileLoading, ByteOrderMarksPickTheEncoding) {
    auto le = DecodeText(std::string("\xFF\xFEh\0i\0", 6));
    EXPECT_EQ(le.encoding, TextEncoding::Utf16LittleEndian);
    EXPECT_EQ(le.lines, Lines{u"hi"});

    auto be = DecodeText(std::string("\xFE\xFF\0h\0i\x04\x10", 8));
    EXPECT_EQ(be.encoding, TextEncoding::Utf16BigEndian);
    EXPECT_EQ(be.lines, Lines{u"hi\u0410"});

    auto utf8 = DecodeText("\xEF\xBB\xBF\xD0\x96x");
    EXPECT_EQ(utf8.encoding, TextEncoding::Utf8);
    EXPECT_EQ(utf8.lines, Lines{u"\u0416x"});

    // A surrogate pair from a four-byte sequence.
    EXPECT_EQ(DecodeText("\xF0\x9F\x98\x80").lines, Lines{u"\U0001F600"});
}

TEST(TextFileLoading, WithoutMarkInvalidUtf8ReadsAsWindows1251) {
    auto valid = DecodeText("\xD0\x9F\xD1\x80\xD0\xB8");  // "При" in UTF-8
    EXPECT_EQ(valid.encoding, TextEncoding::EightBit);
    EXPECT_EQ(valid.lines, Lines{u"\u041F\u0440\u0438"});

    auto cp1251 = DecodeText("\xCF\xF0\xE8\xE2\xE5\xF2");  // "Привет" in Windows-1251
    EXPECT_EQ(cp1251.encoding, TextEncoding::EightBit);
    EXPECT_EQ(cp1251.lines, Lines{u"\u041F\u0440\u0438\u0432\u0435\u0442"});

    // Long ASCII runs around multi-byte and invalid bytes.
    EXPECT_EQ(DecodeText("abcdefghij\xD0\x96klmnopqrstu").lines,
              Lines{u"abcdefghij\u0416klmnopqrstu"});
    EXPECT_EQ(DecodeText("abcdefghijklmnop\xCF").lines, Lines{u"abcdefghijklmnop\u041F"});

    // Overlong and surrogate forms are not UTF-8 either.
    EXPECT_EQ(DecodeText("\xC0\xAF").lines, Lines{u"\u0410\u0407"});
    EXPECT_EQ(DecodeText("\xED\xA0\x80").lines[0].size(), 3u);

    // Every byte is a character: 0x98, unassigned in the code page's table, is U+0098 (a
    // Shift-JIS text falls back to the 8-bit code page, for one).
    EXPECT_EQ(DecodeText("\x82\xA0\x98\x41\x98").lines, Lines{u"\u201A\u00A0\u0098A\u0098"});
}

TEST(TextFileLoading, IllFormedUtf8AfterMarkBecomesOneReplacementPerMaximalSubpart) {
    auto text = DecodeText(
        "\xEF\xBB\xBF"
        "a\xFF"
        "b\xE2\x82");
    EXPECT_EQ(text.lines, Lines{u"a\uFFFDb\uFFFD"});
    EXPECT_EQ(DecodeText("\xEF\xBB\xBF\xC0\xAF").lines, Lines{u"\uFFFD\uFFFD"});
    EXPECT_EQ(DecodeText("\xEF\xBB\xBF\xE2\x82 \xE2\x82\xAC").lines, Lines{u"\uFFFD \u20AC"});
    EXPECT_EQ(DecodeText("\xEF\xBB\xBF\x98").lines, Lines{u"\uFFFD"});
}

TEST(TextFileLoading, OddUtf16ByteCountFails) {
    for (const std::string& input :
         {std::string("\xFF\xFEh"), std::string("\xFE\xFF\0", 3), std::string("\xFF\xFEh\0i", 5)}) {
        try {
            DecodeText(input);
            FAIL() << "no error for " << input.size() << " bytes";
        } catch (const TextEncodingError& e) {
            EXPECT_EQ(std::string(e.what()).rfind("Number of chars must be a multiple of 2", 0),
                      0u);
        }
    }
    // A bare mark is an empty text.
    EXPECT_TRUE(DecodeText("\xFF\xFE").lines.empty());
}

TEST(TextFileLoading, LineBreaks) {
    auto crlf = DecodeText("a\r\nb");
    EXPECT_EQ(crlf.lines, (Lines{u"a", u"b"}));
    EXPECT_EQ(crlf.lineBreak, LineBreakKind::Dos);

    auto lfcr = DecodeText("a\n\rb");
    EXPECT_EQ(lfcr.lines, (Lines{u"a", u"", u"b"}));
    EXPECT_EQ(lfcr.lineBreak, LineBreakKind::Dos);

    EXPECT_EQ(DecodeText("a\r\n").lines, (Lines{u"a", u""}));
    EXPECT_EQ(DecodeText("\n").lines, (Lines{u"", u""}));
    EXPECT_TRUE(DecodeText("").lines.empty());
    EXPECT_EQ(DecodeText("abc").lineBreak, LineBreakKind::Dos);

    auto mac = DecodeText("a\rb\r");
    EXPECT_EQ(mac.lines, (Lines{u"a", u"b", u""}));
    EXPECT_EQ(mac.lineBreak, LineBreakKind::Mac);

    auto unix = DecodeText("a\n\nb");
    EXPECT_EQ(unix.lines, (Lines{u"a", u"", u"b"}));
    EXPECT_EQ(unix.lineBreak, LineBreakKind::Unix);

    // U+2028, then CR, then LF make one break; a second separator starts a new one.
    auto unicode = DecodeText("a\xE2\x80\xA8\r\nb\xE2\x80\xA8\xE2\x80\xA8");
    EXPECT_EQ(unicode.lines, (Lines{u"a", u"b", u"", u""}));
    EXPECT_EQ(unicode.lineBreak, LineBreakKind::Unicode);
}

TEST(TextFileLoading, ZeroCharactersStayInTheLine) {
    auto text = DecodeText(std::string("ab\0cd\nx", 7));
    ASSERT_EQ(text.lines.size(), 2u);
    EXPECT_EQ(text.lines[0], std::u16string(u"ab\0cd", 5));
}

TEST(TextFileLoading, BufferFormSharesOneText) {
    auto decoded = DecodeTextBuffer("one\r\ntwo\nthree");
    ASSERT_EQ(decoded.lines.size(), 3u);
    EXPECT_EQ(decoded.Line(1), u"two");
    EXPECT_EQ(decoded.Line(2), u"three");
    EXPECT_EQ(decoded.text.size(), 14u);
}

TEST(TextFileLoading, LoadsFilesAndNamesUnopenableOnes) {
    test::TempFolder dir;
    test::WriteFile(dir / "a.txt", std::string("\xFF\xFEh\0i\0", 6));
    auto loaded = LoadTextFile(dir / "a.txt");
    EXPECT_EQ(loaded.lines, Lines{u"hi"});

    for (const std::string& path : {dir / "missing.txt", dir.Path()}) {
        try {
            LoadTextFile(path);
            FAIL() << path;
        } catch (const TextFileOpenError& e) {
            EXPECT_EQ(std::string(e.what()).rfind("Cannot open file \"" + path + "\". ", 0), 0u);
            EXPECT_GT(std::string(e.what()).size(), path.size() + 20);
        }
    }
    // A named pipe that nobody writes to reads as empty at once instead of waiting for a writer.
    ASSERT_EQ(platform::RunProcess("mkfifo", {dir / "pipe.txt"}).exitCode, 0);
    EXPECT_TRUE(LoadTextFile(dir / "pipe.txt").lines.size() <= 1);
}

}  // namespace
}  // namespace kelvara::textview
