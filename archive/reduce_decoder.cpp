#include "archive/reduce_decoder.h"

#include <array>

#include "archive/archive_messages.h"

namespace kelvara::archive {

namespace {

constexpr uint32_t kEscape = 144;
constexpr uint32_t kMaxFollowers = 32;
constexpr uint32_t kMinMatch = 3;

struct FollowerSets {
    std::array<std::array<uint8_t, kMaxFollowers>, 256> chars{};
    std::array<uint8_t, 256> counts{};
};

// Bits needed for an index into a follower set of `count` characters.
int IndexBits(uint32_t count) {
    int bits = 1;
    while ((1u << bits) < count)
        ++bits;
    return bits;
}

// Reads the 256 follower sets, stored for characters 255 down to 0. The input may end on the
// way (the caller checks Overrun()).
DecodeStatus ReadFollowerSets(LegacyBitReader& in, FollowerSets& sets) {
    for (int c = 255; c >= 0; --c) {
        const uint32_t count = in.Bits(6);
        if (in.Overrun())
            return kDecodeOk;
        if (count > kMaxFollowers)
            return kMsgBadBlock;
        sets.counts[c] = static_cast<uint8_t>(count);
        for (uint32_t i = 0; i < count; ++i)
            sets.chars[c][i] = static_cast<uint8_t>(in.Bits(8));
    }
    return kDecodeOk;
}

// Expands the character stream: 144 escapes either a literal 144 (followed by 0) or a match.
class Expander {
  public:
    Expander(LegacyOutput& out, int factor, uint64_t limit)
        : out_(out), factor_(factor), mask_((1u << (8 - factor)) - 1), limit_(limit) {}

    void Feed(uint32_t c) {
        switch (state_) {
            case State::kLiteral:
                if (c == kEscape) {
                    state_ = State::kEscaped;
                } else {
                    out_.Put(static_cast<uint8_t>(c));
                }
                break;
            case State::kEscaped:
                if (c == 0) {
                    out_.Put(kEscape);
                    state_ = State::kLiteral;
                } else {
                    lengthByte_ = c;
                    length_ = c & mask_;
                    state_ = length_ == mask_ ? State::kExtraLength : State::kDistance;
                }
                break;
            case State::kExtraLength:
                length_ += c;
                state_ = State::kDistance;
                break;
            case State::kDistance: {
                const uint32_t distance = ((lengthByte_ >> (8 - factor_)) << 8) + c + 1;
                out_.CopyMatch(distance, length_ + kMinMatch, limit_);
                state_ = State::kLiteral;
                break;
            }
        }
    }

  private:
    enum class State { kLiteral, kEscaped, kExtraLength, kDistance };

    LegacyOutput& out_;
    const int factor_;
    const uint32_t mask_;
    const uint64_t limit_;
    State state_ = State::kLiteral;
    uint32_t lengthByte_ = 0;
    uint32_t length_ = 0;
};

}  // namespace

DecodeStatus Unreduce(LegacyBitReader& in, LegacyOutput& out, int factor,
                      uint64_t uncompressedSize) {
    FollowerSets sets;
    if (const DecodeStatus status = ReadFollowerSets(in, sets); status != kDecodeOk)
        return status;
    if (in.Overrun())
        return kDecodeOk;

    Expander expander(out, factor, uncompressedSize);
    uint32_t last = 0;
    while (out.Count() < uncompressedSize) {
        const uint32_t count = sets.counts[last];
        uint32_t c;
        if (count == 0 || in.Bit()) {
            c = in.Bits(8);
        } else {
            const uint32_t index = in.Bits(IndexBits(count));
            if (in.Overrun())
                break;
            if (index >= count)
                return kMsgBadBlock;
            c = sets.chars[last][index];
        }
        if (in.Overrun())
            break;
        expander.Feed(c);
        last = c;
    }
    return kDecodeOk;
}

}  // namespace kelvara::archive
