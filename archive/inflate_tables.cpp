#include "archive/inflate_tables.h"

#include <algorithm>

namespace kelvara::archive {
namespace {

constexpr uint16_t kLengthBase[29] = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                      15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                      67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                      2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr uint16_t kDistBase[32] = {1,    2,    3,    4,     5,     7,     9,     13,
                                    17,   25,   33,   49,    65,    97,    129,   193,
                                    257,  385,  513,  769,   1025,  1537,  2049,  3073,
                                    4097, 6145, 8193, 12289, 16385, 24577, 32769, 49153};
constexpr uint8_t kDistExtra[32] = {0, 0, 0, 0, 1, 1, 2,  2,  3,  3,  4,  4,  5,  5,  6,  6,
                                    7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13, 14, 14};

constexpr uint32_t MakeEntry(uint32_t value, uint32_t flags, unsigned codeBits,
                             unsigned extraBits = 0) {
    return value << 16 | flags | codeBits << 8 | (codeBits + extraBits);
}

// What a code of no symbol decodes to: in the root it takes one bit, in a sub-table one bit past
// the root, so a stream cut short before them reads as cut rather than as invalid.
constexpr uint32_t InvalidEntry(unsigned codeBits) {
    return MakeEntry(1, kEndFlag, codeBits);
}

uint32_t LiteralEntry(DeflateVariant variant, unsigned symbol, unsigned codeBits) {
    if (symbol < 256)
        return MakeEntry(symbol, kLiteralFlag, codeBits);
    if (symbol == 256)
        return MakeEntry(0, kEndFlag, codeBits);
    if (symbol > 285)
        return MakeEntry(1, kEndFlag, codeBits);
    if (symbol == 285 && variant == DeflateVariant::kDeflate64)
        return MakeEntry(3, 0, codeBits, 16);
    const unsigned i = symbol - 257;
    return MakeEntry(kLengthBase[i], 0, codeBits, kLengthExtra[i]);
}

uint32_t DistanceEntry(DeflateVariant variant, unsigned symbol, unsigned codeBits) {
    if (symbol >= 32 || (symbol >= 30 && variant == DeflateVariant::kDeflate))
        return MakeEntry(1, kEndFlag, codeBits);
    return MakeEntry(kDistBase[symbol], 0, codeBits, kDistExtra[symbol]);
}

uint32_t PlainEntry(unsigned symbol, unsigned codeBits) {
    return MakeEntry(symbol, 0, codeBits);
}

// The code's bits in reading order: Huffman codes are sent most significant bit first.
unsigned ReverseBits(unsigned code, unsigned length) {
    code = ((code & 0x5555) << 1) | ((code >> 1) & 0x5555);
    code = ((code & 0x3333) << 2) | ((code >> 2) & 0x3333);
    code = ((code & 0x0F0F) << 4) | ((code >> 4) & 0x0F0F);
    code = ((code & 0x00FF) << 8) | ((code >> 8) & 0x00FF);
    return code >> (16 - length);
}

// Canonical Huffman table with one root level and fixed-width sub-tables for longer codes.
// Incomplete codes are accepted; their unused entries decode as unusable.
template <typename EntryOf>
bool BuildTable(const uint8_t* lengths, unsigned count, unsigned rootBits, size_t capacity,
                uint32_t* table, EntryOf entryOf) {
    unsigned lengthCount[kMaxCodeBits + 1] = {};
    for (unsigned s = 0; s < count; ++s) {
        if (lengths[s] > kMaxCodeBits)
            return false;
        ++lengthCount[lengths[s]];
    }
    lengthCount[0] = 0;
    int left = 1;
    unsigned maxLength = 0;
    for (unsigned len = 1; len <= kMaxCodeBits; ++len) {
        left = (left << 1) - static_cast<int>(lengthCount[len]);
        if (left < 0)
            return false;  // over-subscribed
        if (lengthCount[len])
            maxLength = len;
    }
    const size_t rootSize = size_t{1} << rootBits;
    if (maxLength == 0) {
        std::fill(table, table + rootSize, InvalidEntry(1));
        return true;
    }

    unsigned offsets[kMaxCodeBits + 2] = {};
    for (unsigned len = 1; len <= kMaxCodeBits; ++len) {
        offsets[len + 1] = offsets[len] + lengthCount[len];
    }
    uint16_t sorted[288];
    for (unsigned s = 0; s < count; ++s) {
        if (lengths[s])
            sorted[offsets[lengths[s]]++] = static_cast<uint16_t>(s);
    }

    // Root entries, shortest codes first. While the codes of length len are placed, the first
    // 2^len entries stand for the whole root (entry i for every index whose low len bits are i),
    // so each code is written once; that part is doubled before each longer length and at the
    // end. Entries no code reaches keep the unusable entry they start with.
    unsigned code = 0;
    unsigned index = 0;
    table[0] = table[1] = InvalidEntry(1);
    size_t filled = 2;
    const unsigned rootLength = std::min(maxLength, rootBits);
    for (unsigned len = 1; len <= rootLength; ++len) {
        if (len > 1) {
            std::copy(table, table + filled, table + filled);
            filled *= 2;
        }
        for (unsigned k = 0; k < lengthCount[len]; ++k, ++code)
            table[ReverseBits(code, len)] = entryOf(sorted[index++], len);
        code <<= 1;
    }
    for (; filled < rootSize; filled *= 2)
        std::copy(table, table + filled, table + filled);

    // Longer codes go to sub-tables of one width, one per root index that starts them.
    const unsigned subBits = maxLength > rootBits ? maxLength - rootBits : 0;
    const size_t subSize = size_t{1} << subBits;
    size_t nextSub = rootSize;
    for (unsigned len = rootBits + 1; len <= maxLength; ++len) {
        for (unsigned k = 0; k < lengthCount[len]; ++k, ++code) {
            const unsigned reversed = ReverseBits(code, len);
            uint32_t& root = table[reversed & (rootSize - 1)];
            if (!(root & kLinkFlag)) {
                if (nextSub + subSize > capacity)
                    return false;
                root = MakeEntry(static_cast<uint32_t>(nextSub), kLinkFlag, subBits);
                std::fill(table + nextSub, table + nextSub + subSize, InvalidEntry(rootBits + 1));
                nextSub += subSize;
            }
            uint32_t* sub = table + EntryValue(root);
            const uint32_t entry = entryOf(sorted[index++], len);
            for (size_t i = reversed >> rootBits; i < subSize; i += size_t{1} << (len - rootBits))
                sub[i] = entry;
        }
        code <<= 1;
    }
    return true;
}

HuffmanTables BuildFixed(DeflateVariant variant) {
    HuffmanTables t;
    uint8_t lengths[288];
    std::fill(lengths, lengths + 144, 8);
    std::fill(lengths + 144, lengths + 256, 9);
    std::fill(lengths + 256, lengths + 280, 7);
    std::fill(lengths + 280, lengths + 288, 8);
    BuildLiteralTable(variant, lengths, 288, t.lit);
    std::fill(lengths, lengths + 32, 5);
    BuildDistanceTable(variant, lengths, 32, t.dist);
    return t;
}

}  // namespace

bool BuildLiteralTable(DeflateVariant variant, const uint8_t* lengths, unsigned count,
                       uint32_t* table) {
    return BuildTable(lengths, count, kLitRootBits, kLitTableSize, table,
                      [variant](unsigned s, unsigned n) { return LiteralEntry(variant, s, n); });
}

bool BuildDistanceTable(DeflateVariant variant, const uint8_t* lengths, unsigned count,
                        uint32_t* table) {
    return BuildTable(lengths, count, kDistRootBits, kDistTableSize, table,
                      [variant](unsigned s, unsigned n) { return DistanceEntry(variant, s, n); });
}

bool BuildCodeLengthTable(const uint8_t* lengths, uint32_t* table) {
    return BuildTable(lengths, 19, kCodeLengthRootBits, size_t{1} << kCodeLengthRootBits, table,
                      PlainEntry);
}

const HuffmanTables& FixedTables(DeflateVariant variant) {
    static const HuffmanTables deflate = BuildFixed(DeflateVariant::kDeflate);
    static const HuffmanTables deflate64 = BuildFixed(DeflateVariant::kDeflate64);
    return variant == DeflateVariant::kDeflate64 ? deflate64 : deflate;
}

}  // namespace kelvara::archive
