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

DecodeStatus Explode(LegacyBitReader& in, LegacyOutput& out, uint16_t flags,
                     uint64_t uncompressedSize) {
    const bool hasLiteralTree = (flags & kImplodeFlagLiteralTree) != 0;
    const int lowDistanceBits = (flags & kImplodeFlag8kWindow) ? 7 : 6;
    const uint32_t minMatch = hasLiteralTree ? 3 : 2;

    std::optional<ImplodeTree> literals;
    if (hasLiteralTree)
        literals.emplace(kLiteralSymbols);
    ImplodeTree lengths(kLengthSymbols);
    ImplodeTree distances(kDistanceSymbols);
    if ((literals && !literals->Read(in)) || !lengths.Read(in) || !distances.Read(in)) {
        // A description cut short is the input's end, not an ambiguous tree.
        return in.Overrun() ? kDecodeOk : kMsgAmbiguousTree;
    }

    // Walks a tree; false for an empty branch met before the input ended (past the end, the
    // zero bits may lead anywhere and the loop stops on Overrun()).
    auto decode = [&](const ImplodeTree& tree, uint32_t& symbol) {
        const int s = tree.Decode(in);
        symbol = static_cast<uint32_t>(s);
        return s >= 0 || in.Overrun();
    };

    while (out.Count() < uncompressedSize) {
        if (in.Bit()) {
            uint32_t c;
            if (!literals) {
                c = in.Bits(8);
            } else if (!decode(*literals, c)) {
                return kMsgAmbiguousTree;
            }
            if (in.Overrun())
                break;
            out.Put(static_cast<uint8_t>(c));
        } else {
            const uint32_t low = in.Bits(lowDistanceBits);
            uint32_t high;
            uint32_t length;
            if (!decode(distances, high) || !decode(lengths, length))
                return kMsgAmbiguousTree;
            if (length == kLongLength)
                length += in.Bits(8);
            if (in.Overrun())
                break;
            const uint32_t distance = ((high << lowDistanceBits) | low) + 1;
            out.CopyMatch(distance, length + minMatch, uncompressedSize);
        }
    }
    return kDecodeOk;
}

}  // namespace kelvara::archive
