// The legacy decoders against public archives made by other encoders.
#include <gtest/gtest.h>

#include "legacy_test_support.h"
#include "testkit/temp_folder.h"

namespace kelvara::test {
namespace {

std::vector<LocalEntry> Sample(const std::string& name) {
    return LocalEntries(ReadFile(TestData("zip/legacy/" + name)));
}

void ExpectDecodesIntact(const LocalEntry& e) {
    SCOPED_TRACE(e.name);
    const DecodeResult r = DecodeEntry(e);
    EXPECT_EQ(r.status, archive::kDecodeOk);
    EXPECT_EQ(r.output.size(), e.uncompressedSize);
    EXPECT_EQ(Crc32Of(r.output), e.crc);
}

TEST(LegacySamples, ShrunkEntries) {
    const auto entries = Sample("SHRUNK.ZIP");
    ASSERT_EQ(entries.size(), 2u);
    for (const auto& e : entries) {
        EXPECT_EQ(e.method, 1);
        ExpectDecodesIntact(e);
    }
}

TEST(LegacySamples, ImplodedWithEachWindowAndTreeCount) {
    const auto small = Sample("imploding-4Kdict-2trees.zip");
    ASSERT_EQ(small.size(), 1u);
    EXPECT_EQ(small[0].flags & 6, 0);
    ExpectDecodesIntact(small[0]);

    const auto large = Sample("imploding-8Kdict-3trees.zip");
    ASSERT_EQ(large.size(), 1u);
    EXPECT_EQ(large[0].flags & 6, 6);
    ExpectDecodesIntact(large[0]);
}

TEST(LegacySamples, ImplodedLoremIpsumIsPlainText) {
    const auto entries = Sample("lorem-ipsum-implode.zip");
    ASSERT_EQ(entries.size(), 1u);
    ExpectDecodesIntact(entries[0]);
    const DecodeResult r = DecodeEntry(entries[0]);
    EXPECT_EQ(r.output.substr(0, 28), "\nLorem ipsum dolor sit amet,");
    EXPECT_LE(r.largestWrite, 32768u);
    EXPECT_LE(r.largestRead, 32768u);
}

TEST(LegacySamples, EveryMobyEntry) {
    const auto entries = Sample("moby-imploded.zip");
    ASSERT_EQ(entries.size(), 135u);
    for (const auto& e : entries)
        ExpectDecodesIntact(e);
}

}  // namespace
}  // namespace kelvara::test
