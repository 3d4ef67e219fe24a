// Imploded (method 6) streams: every window and tree-count variant through a small encoder,
// tree building and damaged input.
#include <gtest/gtest.h>

#include "archive/archive_messages.h"
#include "legacy_test_support.h"
#include "testkit/temp_folder.h"

namespace kelvara::test {
namespace {

constexpr uint16_t kImploded = 6;
std::string SampleText() {
    std::string text;
    uint32_t x = 99;
    while (text.size() < 30000) {
        x = x * 1103515245u + 12345u;
        const int word = (x >> 16) % 12;
        text += std::string(1 + word, static_cast<char>('a' + word)) + " ";
        if (word == 0)
            text += std::string(400, '=');  // long matches
        if (word == 1)
            text += static_cast<char>(x >> 24);
    }
    return text;
}

TEST(LegacyImplode, RoundTripsForEveryWindowAndTreeCount) {
    const std::string text = SampleText();
    for (int flags : {0, 2, 4, 6}) {
        SCOPED_TRACE(flags);
        const std::string packed = Implode(text, static_cast<uint16_t>(flags));
        EXPECT_LT(packed.size(), text.size() / 2);
        const DecodeResult r =
            DecodeBytes(packed, kImploded, static_cast<uint16_t>(flags), text.size(), 999);
        EXPECT_EQ(r.status, archive::kDecodeOk);
        EXPECT_TRUE(r.output == text);
    }
}

TEST(LegacyImplode, StopsAtTheUncompressedSize) {
    const auto entries = LocalEntries(ReadFile(TestData("zip/legacy/lorem-ipsum-implode.zip")));
    ASSERT_EQ(entries.size(), 1u);
    const LocalEntry& e = entries[0];
    const std::string full = DecodeEntry(e).output;
    for (uint64_t size : {uint64_t{0}, uint64_t{1}, uint64_t{70001}}) {
        const DecodeResult r = DecodeBytes(e.data, kImploded, e.flags, size);
        EXPECT_EQ(r.status, archive::kDecodeOk);
        EXPECT_TRUE(r.output == full.substr(0, size));
    }
}

TEST(LegacyImplode, TruncatedInputKeepsThePrefixAndReportsTheEnd) {
    const auto entries = LocalEntries(ReadFile(TestData("zip/legacy/lorem-ipsum-implode.zip")));
    const LocalEntry& e = entries[0];
    const std::string full = DecodeEntry(e).output;
    const DecodeResult r =
        DecodeBytes(e.data.substr(0, e.data.size() / 3), kImploded, e.flags, e.uncompressedSize);
    EXPECT_EQ(r.status, archive::kMsgUnexpectedEnd);
    EXPECT_GT(r.output.size(), 10000u);
    EXPECT_LT(r.output.size(), full.size());
    EXPECT_TRUE(r.output == full.substr(0, r.output.size()));

    // Cut inside the trees: the end of the data, not an ambiguous tree.
    const DecodeResult trees = DecodeBytes(e.data.substr(0, 10), kImploded, e.flags, 100);
    EXPECT_EQ(trees.status, archive::kMsgUnexpectedEnd);
    EXPECT_EQ(trees.output, "");
}

TEST(LegacyImplode, TreesThatCannotBeBuiltAreReportedBeforeAnyOutput) {
    // 64 one-bit codes: the third one wraps round to a code already taken.
    BitWriter oversubscribed;
    PutUniformTree(oversubscribed, 64, 1);
    PutUniformTree(oversubscribed, 64, 6);
    for (int i = 0; i < 20; ++i)
        oversubscribed.Bits(0xFF, 8);
    // A description covering 16 of the 64 symbols.
    BitWriter tooShort;
    tooShort.Bits(0, 8);
    tooShort.Bits(0xF5, 8);
    PutUniformTree(tooShort, 64, 6);
    for (int i = 0; i < 20; ++i)
        tooShort.Bits(0xFF, 8);
    // 16-bit codes need more inner nodes than the tree has.
    BitWriter tooDeep;
    PutUniformTree(tooDeep, 64, 16);
    PutUniformTree(tooDeep, 64, 6);
    for (int i = 0; i < 20; ++i)
        tooDeep.Bits(0xFF, 8);

    for (const BitWriter* w : {&oversubscribed, &tooShort, &tooDeep}) {
        const DecodeResult r = DecodeBytes(w->Bytes(), kImploded, 0, 100);
        EXPECT_EQ(r.status, archive::kMsgAmbiguousTree);
        EXPECT_EQ(r.output, "");
    }
}

TEST(LegacyImplode, EmptyBranchWhileDecodingIsFatal) {
    // Seven-bit distance codes for 64 symbols fill only the half of the tree below a 0 bit.
    BitWriter w;
    PutUniformTree(w, 64, 6);
    PutUniformTree(w, 64, 7);
    for (char c : std::string("abc")) {
        w.Bits(1, 1);
        w.Bits(static_cast<uint8_t>(c), 8);
    }
    w.Bits(0, 1);
    w.Bits(0, 6);
    w.Bits(1, 1);  // no code starts with 1
    w.Bits(0, 16);
    const DecodeResult r = DecodeBytes(w.Bytes(), kImploded, 0, 100);
    EXPECT_EQ(r.status, archive::kMsgAmbiguousTree);
    EXPECT_EQ(r.output, "abc");
}

TEST(LegacyImplode, ReferenceBeforeTheStartReadsZeros) {
    BitWriter w;
    PutUniformTree(w, 64, 6);
    PutUniformTree(w, 64, 6);
    w.Bits(1, 1);
    w.Bits('x', 8);
    w.Bits(0, 1);
    w.Bits(4, 6);       // distance 5
    w.Code(63, 6);      // high part 0
    w.Code(63 - 1, 6);  // length 1 + 2
    const DecodeResult r = DecodeBytes(w.Bytes(), kImploded, 0, 4);
    EXPECT_EQ(r.status, archive::kDecodeOk);
    EXPECT_EQ(r.output, std::string("x\0\0\0", 4));
}

}  // namespace
}  // namespace kelvara::test
