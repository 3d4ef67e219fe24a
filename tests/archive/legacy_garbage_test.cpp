// Random and mutated input to every legacy method: decoding always ends, within the size
// bound, with a status that is either success or one of the decoders' own messages.
#include <gtest/gtest.h>

#include <random>

#include "archive/archive_messages.h"
#include "legacy_test_support.h"
#include "testkit/temp_folder.h"

namespace kelvara::test {
namespace {

bool IsLegacyStatus(int id) {
    return id == archive::kDecodeOk || id == archive::kMsgBadBlock ||
           id == archive::kMsgStackOverflow || id == archive::kMsgAmbiguousTree ||
           id == archive::kMsgUnexpectedEnd;
}

void ExpectEndsSoundly(const std::string& data, uint16_t method, uint16_t flags, uint64_t size) {
    const DecodeResult r = DecodeBytes(data, method, flags, size);
    EXPECT_TRUE(IsLegacyStatus(r.status)) << r.status;
    // Output short of the size is never a success.
    if (r.status == archive::kDecodeOk) {
        EXPECT_GE(r.output.size(), size);
    }
    // Shrink runs to the end of input; the others stop at the uncompressed size.
    if (method != 1) {
        EXPECT_LE(r.output.size(), size);
    }
}

TEST(LegacyGarbage, RandomBytesForEveryMethod) {
    std::mt19937 rng(42);
    for (int round = 0; round < 60; ++round) {
        std::string data(rng() % 3000, '\0');
        for (char& c : data)
            c = static_cast<char>(rng());
        for (uint16_t method = 1; method <= 6; ++method) {
            for (uint16_t flags : {0, 6})
                ExpectEndsSoundly(data, method, flags, 50000);
        }
    }
}

TEST(LegacyGarbage, MutatedSamples) {
    std::mt19937 rng(7);
    std::vector<LocalEntry> entries = LocalEntries(ReadFile(TestData("zip/legacy/SHRUNK.ZIP")));
    for (const char* name : {"imploding-4Kdict-2trees.zip", "imploding-8Kdict-3trees.zip"}) {
        const auto more = LocalEntries(ReadFile(TestData(std::string("zip/legacy/") + name)));
        entries.insert(entries.end(), more.begin(), more.end());
    }
    for (const LocalEntry& e : entries) {
        for (int round = 0; round < 40; ++round) {
            std::string data = e.data;
            for (int flips = 1 + rng() % 4; flips > 0; --flips) {
                data[rng() % data.size()] ^= static_cast<char>(1 << rng() % 8);
            }
            ExpectEndsSoundly(data, e.method, e.flags, e.uncompressedSize);
        }
    }
}

}  // namespace
}  // namespace kelvara::test
