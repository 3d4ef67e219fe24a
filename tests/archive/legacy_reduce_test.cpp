// Reduced (methods 2-5) streams: a small test encoder for every factor, a hand-built stream
// and damaged input.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <unordered_map>

#include "archive/archive_messages.h"
#include "legacy_test_support.h"

namespace kelvara::test {
namespace {

constexpr uint8_t kEscape = 144;

using FollowerTable = std::array<std::vector<uint8_t>, 256>;

int IndexBits(size_t count) {
    int bits = 1;
    while ((size_t{1} << bits) < count)
        ++bits;
    return bits;
}

// First stage: greedy matches over the factor's distance range, written with the 144 escape.
std::string EscapeStage(const std::string& data, int factor) {
    const uint32_t mask = (1u << (8 - factor)) - 1;
    const size_t maxDistance = size_t{256} << factor;
    const size_t maxLength = mask + 255 + 3;
    std::unordered_map<uint32_t, std::vector<size_t>> seen;
    auto key = [&](size_t i) {
        return static_cast<uint32_t>(static_cast<uint8_t>(data[i]) |
                                     static_cast<uint8_t>(data[i + 1]) << 8 |
                                     static_cast<uint8_t>(data[i + 2]) << 16);
    };
    std::string out;
    size_t i = 0;
    while (i < data.size()) {
        size_t bestLength = 0, bestDistance = 0;
        if (i + 3 <= data.size()) {
            auto& positions = seen[key(i)];
            for (auto it = positions.rbegin();
                 it != positions.rend() && it - positions.rbegin() < 32; ++it) {
                const size_t distance = i - *it;
                if (distance > maxDistance)
                    break;
                size_t length = 0;
                while (length < maxLength && i + length < data.size() &&
                       data[i + length] == data[i + length - distance]) {
                    ++length;
                }
                if (length > bestLength)
                    bestLength = length, bestDistance = distance;
            }
        }
        const uint32_t high = static_cast<uint32_t>((bestDistance - 1) >> 8);
        const uint32_t extra = bestLength >= 3 ? static_cast<uint32_t>(bestLength - 3) : 0;
        const uint32_t v = (high << (8 - factor)) | std::min(extra, mask);
        const size_t advance = (bestLength >= 3 && v != 0) ? bestLength : 1;
        if (advance > 1) {
            out += static_cast<char>(kEscape);
            out += static_cast<char>(v);
            if (extra >= mask)
                out += static_cast<char>(extra - mask);
            out += static_cast<char>((bestDistance - 1) & 0xFF);
        } else if (static_cast<uint8_t>(data[i]) == kEscape) {
            out += static_cast<char>(kEscape);
            out += '\0';
        } else {
            out += data[i];
        }
        for (size_t j = i; j < i + advance; ++j) {
            if (j + 3 <= data.size())
                seen[key(j)].push_back(j);
        }
        i += advance;
    }
    return out;
}

// Follower sets of the most frequent successors; set sizes vary with the character (0 to 32)
// so every index width occurs.
FollowerTable ChooseFollowers(const std::string& chars) {
    std::array<std::map<uint8_t, int>, 256> counts;
    uint8_t last = 0;
    for (char ch : chars) {
        ++counts[last][static_cast<uint8_t>(ch)];
        last = static_cast<uint8_t>(ch);
    }
    FollowerTable sets;
    for (int c = 0; c < 256; ++c) {
        std::vector<std::pair<int, uint8_t>> ranked;
        for (auto [follower, n] : counts[c])
            ranked.push_back({-n, follower});
        std::sort(ranked.begin(), ranked.end());
        const size_t keep = std::min<size_t>(ranked.size(), c % 33);
        for (size_t k = 0; k < keep; ++k)
            sets[c].push_back(ranked[k].second);
    }
    return sets;
}

void PutFollowerSets(BitWriter& w, const FollowerTable& sets) {
    for (int c = 255; c >= 0; --c) {
        w.Put(static_cast<uint32_t>(sets[c].size()), 6);
        for (uint8_t f : sets[c])
            w.Put(f, 8);
    }
}

std::string Reduce(const std::string& data, int factor) {
    const std::string chars = EscapeStage(data, factor);
    const FollowerTable sets = ChooseFollowers(chars);
    BitWriter w;
    PutFollowerSets(w, sets);
    uint8_t last = 0;
    for (char ch : chars) {
        const uint8_t c = static_cast<uint8_t>(ch);
        const auto& set = sets[last];
        const auto it = std::find(set.begin(), set.end(), c);
        if (set.empty()) {
            w.Put(c, 8);
        } else if (it == set.end()) {
            w.Put(1, 1);
            w.Put(c, 8);
        } else {
            w.Put(0, 1);
            w.Put(static_cast<uint32_t>(it - set.begin()), IndexBits(set.size()));
        }
        last = c;
    }
    return w.Bytes();
}

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
        EXPECT_EQ(r.fatal, 0);
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
        w.Put(0, 1);
        w.Put(i, bits);
    };
    index(0, 1);  // H
    index(0, 1);  // e
    index(0, 2);  // l
    index(1, 1);  // l
    index(0, 1);  // o
    w.Put('!', 8);
    w.Put(kEscape, 8);
    w.Put(1, 8);  // length 1 + 3, distance high part 0
    w.Put(3, 8);  // distance 3 + 1
    w.Put(1, 1);  // set of 3 not used
    w.Put('Z', 8);
    w.Put(kEscape, 8);
    w.Put(0, 8);
    return w.Bytes();
}

TEST(LegacyReduce, HandBuiltStreamWithFollowerIndices) {
    const std::string expected = "Hello!llo!Z\x90";
    // The zero padding after the last character would decode as more characters: the
    // uncompressed size ends the entry.
    const DecodeResult r = DecodeBytes(HandBuiltStream(), 2, 0, expected.size());
    EXPECT_EQ(r.fatal, 0);
    EXPECT_EQ(r.output, expected);
}

TEST(LegacyReduce, DamagedStreams) {
    BitWriter tooMany;
    tooMany.Put(33, 6);
    for (int i = 0; i < 40; ++i)
        tooMany.Put('a', 8);
    const DecodeResult r1 = DecodeBytes(tooMany.Bytes(), 3, 0, 10);
    EXPECT_EQ(r1.fatal, archive::kMsgBadBlock);
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
        w.Put(0, 2);
    w.Put(0, 1);
    w.Put(3, 2);
    const DecodeResult r2 = DecodeBytes(w.Bytes(), 4, 0, 10);
    EXPECT_EQ(r2.fatal, archive::kMsgBadBlock);
    EXPECT_EQ(r2.output, "Hel");

    // Truncated in the follower sets, then in the data.
    const std::string packed = Reduce(SampleText(), 2);
    EXPECT_EQ(DecodeBytes(packed.substr(0, 20), 3, 0, 40000).output, "");
    const DecodeResult r3 = DecodeBytes(packed.substr(0, packed.size() / 2), 3, 0, 40000);
    EXPECT_EQ(r3.fatal, 0);
    EXPECT_GT(r3.output.size(), 1000u);
    EXPECT_TRUE(r3.output == SampleText().substr(0, r3.output.size()));
}

}  // namespace
}  // namespace kelvara::test
