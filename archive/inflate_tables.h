// Huffman decoding tables for the Deflate decoder.
//
// A table entry carries the whole result of one look-up: value << 16 | flags | codeBits << 8 |
// totalBits. totalBits is how many input bits the symbol takes with its extra bits (at most 31),
// so one shift consumes both; codeBits is the length of the code alone, so the extra bits are
// (input & LowBits(totalBits)) >> codeBits, added to value. Entries of sub-tables give the whole
// code's length, root bits included.
//
// Flags: kLiteralFlag marks a literal byte (value); kEndFlag marks the end-of-block code (value 0)
// or a code the block may not use (value 1); kLinkFlag marks a root entry that points at a
// sub-table (value = its offset, codeBits = the width of its index, taken from the input bits
// above the root's). Any other entry is a length or a distance: value is its base.
#pragma once

#include <cstddef>
#include <cstdint>

#include "archive/inflate.h"

namespace kelvara::archive {

constexpr uint32_t kLiteralFlag = 0x8000;
constexpr uint32_t kLinkFlag = 0x4000;
constexpr uint32_t kEndFlag = 0x2000;

constexpr unsigned kLitRootBits = 11;
constexpr unsigned kDistRootBits = 8;
constexpr unsigned kCodeLengthRootBits = 7;
constexpr unsigned kMaxCodeBits = 15;

constexpr size_t kLitTableSize = (1u << kLitRootBits) + 288 * (1u << (kMaxCodeBits - kLitRootBits));
constexpr size_t kDistTableSize =
    (1u << kDistRootBits) + 32 * (1u << (kMaxCodeBits - kDistRootBits));

inline unsigned EntryTotalBits(uint32_t e) {
    return e & 0xFF;
}
inline unsigned EntryCodeBits(uint32_t e) {
    return (e >> 8) & 0xF;
}
inline uint32_t EntryValue(uint32_t e) {
    return e >> 16;
}

struct HuffmanTables {
    uint32_t lit[kLitTableSize];
    uint32_t dist[kDistTableSize];
};

// Builds the literal/length table from count code lengths (count <= 288).
bool BuildLiteralTable(DeflateVariant variant, const uint8_t* lengths, unsigned count,
                       uint32_t* table);
// Builds the distance table from count code lengths (count <= 32).
bool BuildDistanceTable(DeflateVariant variant, const uint8_t* lengths, unsigned count,
                        uint32_t* table);
// Builds the table of the code-length alphabet (19 lengths); entry values are the symbols.
bool BuildCodeLengthTable(const uint8_t* lengths, uint32_t* table);

// The fixed-code tables of a variant, built on first use and kept.
const HuffmanTables& FixedTables(DeflateVariant variant);

}  // namespace kelvara::archive
