// Reduced (methods 2-5) streams: a small test encoder for every factor, a hand-built stream
// and damaged input.
#include <gtest/gtest.h>

#include <algorithm>

#include "archive/archive_messages.h"
#include "legacy_test_support.h"

namespace kelvara::test {
namespace {

std::string SampleText() {
    std::string text;
    uint32_t x = 7;
    const char* words[] = {"widget ",    "package ", "config ",  "icon ",    "\x90",
                           "manifest\n", "z",        "archive ", "\xff\x00", "follower "};
    while (text.size() < 40000) {
        x = x * 1103515245u + 12345u;
        text += words[(x >> 16) % 10];
        if ((x >> 8) % 7 == 0)
            text += static_cast<char>(x >> 24);
    }
    return text;
}

TEST(LegacyReduce, RoundTripsForEveryFactor) {
    const std::string text = SampleText();
    for (int factor = 1; factor <= 4; ++factor) {
        SCOPED_TRACE(factor);
        const std::string packed = Reduce(text, factor);
        EXPECT_LT(packed.size(), text.size() / 2);
        const uint16_t method = static_cast<uint16_t>(factor + 1);
        const DecodeResult r = DecodeBytes(packed, method, 0, text.size(), 777);
        EXPECT_EQ(r.status, archive::kDecodeOk);
        EXPECT_TRUE(r.output == text);
        // The size bound holds in the middle of a match too.
        const DecodeResult shorter = DecodeBytes(packed, method, 0, text.size() - 5);
        EXPECT_TRUE(shorter.output == text.substr(0, text.size() - 5));
    }
}

// "Hello!" through follower indices of widths 1 and 2, a 4-byte match at distance 4, a
// literal read despite a non-empty set, and an escaped 144.
std::string HandBuiltStream() {
    FollowerTable sets;
    sets[0] = {'H'};
    sets['H'] = {'e', 'a'};
    sets['e'] = {'l', 'x', 'y'};
    sets['l'] = {'o', 'l'};
    sets[3] = {'?'};
    BitWriter w;
    PutFollowerSets(w, sets);
    auto index = [&](uint32_t i, int bits) {
        w.Bits(0, 1);
        w.Bits(i, bits);
    };
    index(0, 1);  // H
    index(0, 1);  // e
    index(0, 2);  // l
    index(1, 1);  // l
    index(0, 1);  // o
    w.Bits('!', 8);
    w.Bits(kReduceEscape, 8);
    w.Bits(1, 8);  // length 1 + 3, distance high part 0
    w.Bits(3, 8);  // distance 3 + 1
    w.Bits(1, 1);  // set of 3 not used
    w.Bits('Z', 8);
    w.Bits(kReduceEscape, 8);
    w.Bits(0, 8);
    return w.Bytes();
}

TEST(LegacyReduce, HandBuiltStreamWithFollowerIndices) {
    const std::string expected = "Hello!llo!Z\x90";
    // The zero padding after the last character would decode as more characters: the
    // uncompressed size ends the entry.
    const DecodeResult r = DecodeBytes(HandBuiltStream(), 2, 0, expected.size());
    EXPECT_EQ(r.status, archive::kDecodeOk);
    EXPECT_EQ(r.output, expected);
}

TEST(LegacyReduce, DamagedStreams) {
    BitWriter tooMany;
    tooMany.Bits(33, 6);
    for (int i = 0; i < 40; ++i)
        tooMany.Bits('a', 8);
    const DecodeResult r1 = DecodeBytes(tooMany.Bytes(), 3, 0, 10);
    EXPECT_EQ(r1.status, archive::kMsgBadBlock);
    EXPECT_EQ(r1.output, "");

    // Index 3 in a set of 3 after "Hel" has been decoded.
    FollowerTable sets;
    sets[0] = {'H'};
    sets['H'] = {'e'};
    sets['e'] = {'l'};
    sets['l'] = {'a', 'b', 'c'};
    BitWriter w;
    PutFollowerSets(w, sets);
    for (int i = 0; i < 3; ++i)
        w.Bits(0, 2);
    w.Bits(0, 1);
    w.Bits(3, 2);
    const DecodeResult r2 = DecodeBytes(w.Bytes(), 4, 0, 10);
    EXPECT_EQ(r2.status, archive::kMsgBadBlock);
    EXPECT_EQ(r2.output, "Hel");

    // Truncated in the follower sets, then in the data: what was decoded is kept and the end
    // is reported.
    const std::string packed = Reduce(SampleText(), 2);
    const DecodeResult inSets = DecodeBytes(packed.substr(0, 20), 3, 0, 40000);
    EXPECT_EQ(inSets.output, "");
    EXPECT_EQ(inSets.status, archive::kMsgUnexpectedEnd);
    const DecodeResult r3 = DecodeBytes(packed.substr(0, packed.size() / 2), 3, 0, 40000);
    EXPECT_EQ(r3.status, archive::kMsgUnexpectedEnd);
    EXPECT_GT(r3.output.size(), 1000u);
    EXPECT_TRUE(r3.output == SampleText().substr(0, r3.output.size()));
}

}  // namespace
}  // namespace kelvara::test
