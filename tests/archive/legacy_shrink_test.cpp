// Shrunk (method 1) streams: partial clearing, code size growth and damaged input.
#include <gtest/gtest.h>

#include "archive/archive_messages.h"
#include "legacy_test_support.h"
#include "testkit/temp_folder.h"

namespace kelvara::test {
namespace {

constexpr uint16_t kShrunk = 1;
std::string Codes(const std::vector<uint32_t>& codes, int size = 9) {
    BitWriter w;
    for (uint32_t c : codes)
        w.Bits(c, size);
    return w.Bytes();
}

std::string PseudoRandomText(size_t size, int alphabet) {
    std::string s;
    uint32_t x = 12345;
    while (s.size() < size) {
        x = x * 1103515245u + 12345u;
        s += static_cast<char>('a' + (x >> 16) % alphabet);
    }
    return s;
}

TEST(LegacyShrink, PartialClearReusesFreedCodesLowestFirst) {
    // "a" "b" "c" 257="ab" "d", clear frees 258-260, then 257 defines 258="da", 258 defines
    // 259="abd", 259 defines 260="daa", 260 defines 261, and 262 is the code being defined.
    const std::string data =
        Codes({'a', 'b', 'c', 257, 'd', kShrinkControl, 2, 257, 258, 259, 260, 262});
    const DecodeResult r = DecodeBytes(data, kShrunk, 0, 0);
    EXPECT_EQ(r.status, archive::kDecodeOk);
    EXPECT_EQ(r.output, "abcabdabdaabddaadaad");
}

TEST(LegacyShrink, RoundTripsWithCodeSizeGrowthAndPartialClears) {
    const std::string text = PseudoRandomText(60000, 16);
    for (bool clear : {false, true}) {
        SCOPED_TRACE(clear);
        TestShrinker shrinker(clear);
        const std::string packed = shrinker.Encode(text);
        EXPECT_EQ(shrinker.CodeSize(), 13);
        EXPECT_EQ(shrinker.Clears() > 0, clear);
        // Small reads make codes straddle refills.
        const DecodeResult r = DecodeBytes(packed, kShrunk, 0, text.size(), 1000);
        EXPECT_EQ(r.status, archive::kDecodeOk);
        EXPECT_TRUE(r.output == text);
        EXPECT_LE(r.largestWrite, 32768u);
    }
}

TEST(LegacyShrink, DamagedStreamsEndWithBadBlock) {
    const DecodeResult empty = DecodeBytes("", kShrunk, 0, 10);
    EXPECT_EQ(empty.status, archive::kMsgBadBlock);
    EXPECT_EQ(empty.output, "");

    const DecodeResult firstNotLiteral = DecodeBytes(Codes({300, 'a'}), kShrunk, 0, 10);
    EXPECT_EQ(firstNotLiteral.status, archive::kMsgBadBlock);

    // What was decoded before the bad control code reaches the file.
    const DecodeResult badControl =
        DecodeBytes(Codes({'x', 'y', kShrinkControl, 3, 'z'}), kShrunk, 0, 3);
    EXPECT_EQ(badControl.status, archive::kMsgBadBlock);
    EXPECT_EQ(badControl.output, "xy");

    // Four size increases reach 13 bits; a fifth is refused.
    BitWriter w;
    w.Bits('q', 9);
    for (int size = 9; size <= 13; ++size) {
        w.Bits(kShrinkControl, size);
        w.Bits(1, size);
    }
    const DecodeResult tooWide = DecodeBytes(w.Bytes(), kShrunk, 0, 1);
    EXPECT_EQ(tooWide.status, archive::kMsgBadBlock);
    EXPECT_EQ(tooWide.output, "q");
}

TEST(LegacyShrink, CyclicCodeChainIsAStackOverflow) {
    // 300 and 258 are used before being defined; 258 gets parent 300 and later 300 gets
    // parent 258, so decoding 300 never reaches a literal.
    std::vector<uint32_t> codes = {'a', 300, 258};
    codes.insert(codes.end(), 40, 'b');  // defines 259..298
    codes.insert(codes.end(), {258, 'c', 300});
    const DecodeResult r = DecodeBytes(Codes(codes), kShrunk, 0, 0);
    EXPECT_EQ(r.status, archive::kMsgStackOverflow);
    EXPECT_EQ(r.output, std::string("aaa\0a", 5) + std::string(40, 'b') + std::string("\0\0c", 3));
}

// Shrunk data has no end marker: input that ends before the uncompressed size is reached is
// reported, and what was decoded is a true prefix (the last byte's spare bits are no code).
TEST(LegacyShrink, TruncatedSampleGivesAPrefixAndUnexpectedEnd) {
    const auto entries = LocalEntries(ReadFile(TestData("zip/legacy/SHRUNK.ZIP")));
    ASSERT_FALSE(entries.empty());
    const LocalEntry& e = entries[0];
    const std::string full = DecodeEntry(e).output;
    for (size_t cut : {size_t{2}, e.data.size() / 2, e.data.size() - 1}) {
        const DecodeResult r = DecodeBytes(e.data.substr(0, cut), kShrunk, 0, e.uncompressedSize);
        EXPECT_EQ(r.status, archive::kMsgUnexpectedEnd);
        EXPECT_LT(r.output.size(), full.size());
        EXPECT_EQ(full.compare(0, r.output.size(), r.output), 0);
    }
}

}  // namespace
}  // namespace kelvara::test
