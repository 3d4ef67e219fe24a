// Small encoders for the legacy ZIP methods (shrink, reduce, implode), used to build test and
// benchmark streams.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "testkit/bit_writer.h"

namespace kelvara::test {

constexpr uint32_t kShrinkControl = 256;

// A greedy LZW encoder producing shrunk streams: the code size is raised by control code
// whenever a code does not fit, and a full table is optionally partially cleared (leaf codes
// freed, then handed out again lowest first).
class TestShrinker {
  public:
    explicit TestShrinker(bool clearWhenFull) : clearWhenFull_(clearWhenFull) {
        for (int code = 257; code < 8192; ++code)
            free_.push_back(code);
    }

    std::string Encode(const std::string& data) {
        int cur = static_cast<uint8_t>(data[0]);
        for (size_t i = 1; i < data.size(); ++i) {
            const int c = static_cast<uint8_t>(data[i]);
            const auto it = dict_.find({cur, c});
            if (it != dict_.end()) {
                cur = it->second;
                continue;
            }
            Emit(cur);
            if (clearWhenFull_ && next_ == free_.size()) {
                Emit(kShrinkControl);
                Emit(2);
                PartialClear();
                ++clears_;
            }
            Add(cur, c);
            cur = c;
        }
        Emit(cur);
        return out_.Bytes();
    }
    int Clears() const { return clears_; }
    int CodeSize() const { return size_; }

  private:
    void Emit(uint32_t code) {
        while (code >= (1u << size_)) {
            out_.Bits(kShrinkControl, size_);
            out_.Bits(1, size_);
            ++size_;
        }
        out_.Bits(code, size_);
    }
    void Add(int parent, int c) {
        if (next_ == free_.size())
            return;
        const int code = free_[next_++];
        parent_[code] = parent;
        char_[code] = c;
        ++children_[parent];
        dict_[{parent, c}] = code;
    }
    void PartialClear() {
        std::vector<int> leaves;
        for (int code = 257; code < 8192; ++code) {
            if (children_[code] == 0 && parent_[code] >= 0)
                leaves.push_back(code);
        }
        for (int code : leaves) {
            --children_[parent_[code]];
            dict_.erase({parent_[code], char_[code]});
            parent_[code] = -1;
        }
        free_.clear();
        for (int code = 257; code < 8192; ++code) {
            if (parent_[code] < 0)
                free_.push_back(code);
        }
        next_ = 0;
    }

    const bool clearWhenFull_;
    BitWriter out_;
    int size_ = 9;
    int clears_ = 0;
    std::map<std::pair<int, int>, int> dict_;
    std::vector<int> parent_ = std::vector<int>(8192, -1);
    std::vector<int> char_ = std::vector<int>(8192, 0);
    std::vector<int> children_ = std::vector<int>(8192, 0);
    std::vector<int> free_;
    size_t next_ = 0;
};

constexpr uint8_t kReduceEscape = 144;

using FollowerTable = std::array<std::vector<uint8_t>, 256>;

inline int IndexBits(size_t count) {
    int bits = 1;
    while ((size_t{1} << bits) < count)
        ++bits;
    return bits;
}

// First stage: greedy matches over the factor's distance range, written with the 144 escape.
inline std::string EscapeStage(const std::string& data, int factor) {
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
            out += static_cast<char>(kReduceEscape);
            out += static_cast<char>(v);
            if (extra >= mask)
                out += static_cast<char>(extra - mask);
            out += static_cast<char>((bestDistance - 1) & 0xFF);
        } else if (static_cast<uint8_t>(data[i]) == kReduceEscape) {
            out += static_cast<char>(kReduceEscape);
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
inline FollowerTable ChooseFollowers(const std::string& chars) {
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

inline void PutFollowerSets(BitWriter& w, const FollowerTable& sets) {
    for (int c = 255; c >= 0; --c) {
        w.Bits(static_cast<uint32_t>(sets[c].size()), 6);
        for (uint8_t f : sets[c])
            w.Bits(f, 8);
    }
}

inline std::string Reduce(const std::string& data, int factor) {
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
            w.Bits(c, 8);
        } else if (it == set.end()) {
            w.Bits(1, 1);
            w.Bits(c, 8);
        } else {
            w.Bits(0, 1);
            w.Bits(static_cast<uint32_t>(it - set.begin()), IndexBits(set.size()));
        }
        last = c;
    }
    return w.Bytes();
}

constexpr uint16_t kImplode8kWindow = 2;
constexpr uint16_t kImplodeLiteralTree = 4;

// A tree description giving all `symbols` the same bit length; symbol s then has the code
// symbols - 1 - s.
inline void PutUniformTree(BitWriter& w, int symbols, int bitLength) {
    const int bytes = symbols / 16;
    w.Bits(bytes - 1, 8);
    for (int i = 0; i < bytes; ++i)
        w.Bits(0xF0 | (bitLength - 1), 8);
}

// Greedy matches coded with uniform trees: 8-bit literals, 6-bit lengths and distances.
inline std::string Implode(const std::string& data, uint16_t flags) {
    const bool literalTree = flags & kImplodeLiteralTree;
    const int lowBits = (flags & kImplode8kWindow) ? 7 : 6;
    const size_t minMatch = literalTree ? 3 : 2;
    const size_t maxDistance = size_t{64} << lowBits;
    const size_t maxLength = minMatch + 63 + 255;
    BitWriter w;
    if (literalTree)
        PutUniformTree(w, 256, 8);
    PutUniformTree(w, 64, 6);
    PutUniformTree(w, 64, 6);
    for (size_t i = 0; i < data.size();) {
        size_t bestLength = 0, bestDistance = 0;
        for (size_t distance = 1; distance <= std::min(i, maxDistance);
             distance += 1 + distance / 64) {
            size_t length = 0;
            while (length < maxLength && i + length < data.size() &&
                   data[i + length] == data[i + length - distance]) {
                ++length;
            }
            if (length > bestLength)
                bestLength = length, bestDistance = distance;
        }
        if (bestLength < minMatch) {
            const uint8_t c = static_cast<uint8_t>(data[i++]);
            w.Bits(1, 1);
            if (literalTree) {
                w.Code(255 - c, 8);
            } else {
                w.Bits(c, 8);
            }
            continue;
        }
        w.Bits(0, 1);
        const uint32_t d = static_cast<uint32_t>(bestDistance - 1);
        w.Bits(d & ((1u << lowBits) - 1), lowBits);
        w.Code(63 - (d >> lowBits), 6);
        const uint32_t length = static_cast<uint32_t>(bestLength - minMatch);
        w.Code(63 - std::min(length, 63u), 6);
        if (length >= 63)
            w.Bits(length - 63, 8);
        i += bestLength;
    }
    return w.Bytes();
}

}  // namespace kelvara::test
