// Huffman decoding tables for the Deflate decoder.
//
// A table entry is value << 16 | flags << 8 | bits. `bits` is how many input bits the entry
// consumes. Flags: kLink marks a root entry pointing at a sub-table (value = its offset, low five
// flag bits = its index width); kEnd marks the end-of-block code (value 0) or an unusable code
// (value 1); kLiteral marks a literal byte; otherwise the low five flag bits are the number of
// extra bits that follow and value is the base length or distance.
#pragma once

#include <cstddef>
#include <cstdint>

#include "archive/inflate.h"

namespace kelvara::archive {

constexpr uint32_t kLinkFlag = 0x8000;
constexpr uint32_t kEndFlag = 0x4000;
constexpr uint32_t kLiteralFlag = 0x2000;

constexpr unsigned kLitRootBits = 10;
constexpr unsigned kDistRootBits = 8;
constexpr unsigned kCodeLengthRootBits = 7;
constexpr unsigned kMaxCodeBits = 15;

constexpr size_t kLitTableSize = (1u << kLitRootBits) + 288 * (1u << (kMaxCodeBits - kLitRootBits));
constexpr size_t kDistTableSize =
    (1u << kDistRootBits) + 32 * (1u << (kMaxCodeBits - kDistRootBits));

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
