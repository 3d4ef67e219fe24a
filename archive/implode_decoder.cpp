#include "archive/implode_decoder.h"

#include <optional>

#include "archive/archive_messages.h"
#include "archive/implode_tree.h"

namespace kelvara::archive {

namespace {

constexpr int kLiteralSymbols = 256;
constexpr int kLengthSymbols = 64;
constexpr int kDistanceSymbols = 64;
constexpr int kLongLength = 63;  // followed by 8 more bits of length

}  // namespace

void Explode(LegacyBitReader& in, LegacyOutput& out, uint16_t flags, uint64_t uncompressedSize,
             const Reporter& report) {
    const bool hasLiteralTree = (flags & kImplodeFlagLiteralTree) != 0;
    const int lowDistanceBits = (flags & kImplodeFlag8kWindow) ? 7 : 6;
    const uint32_t minMatch = hasLiteralTree ? 3 : 2;

    std::optional<ImplodeTree> literals;
    if (hasLiteralTree)
        literals.emplace(kLiteralSymbols);
    ImplodeTree lengths(kLengthSymbols);
    ImplodeTree distances(kDistanceSymbols);
    if ((literals && !literals->Read(in)) || !lengths.Read(in) || !distances.Read(in)) {
        report(kMsgAmbiguousTree);
        return;
    }

    auto decode = [&](const ImplodeTree& tree) {
        const int symbol = tree.Decode(in);
        if (symbol < 0 && !in.Overrun())
            out.Fail(kMsgAmbiguousTree);
        return static_cast<uint32_t>(symbol);
    };

    while (out.Count() < uncompressedSize) {
        if (in.Bit()) {
            const uint32_t c = literals ? decode(*literals) : in.Bits(8);
            if (in.Overrun())
                break;
            out.Put(static_cast<uint8_t>(c));
        } else {
            const uint32_t low = in.Bits(lowDistanceBits);
            const uint32_t high = decode(distances);
            uint32_t length = decode(lengths);
            if (length == kLongLength)
                length += in.Bits(8);
            if (in.Overrun())
                break;
            const uint32_t distance = ((high << lowDistanceBits) | low) + 1;
            out.CopyMatch(distance, length + minMatch, uncompressedSize);
        }
    }
}

}  // namespace kelvara::archive
