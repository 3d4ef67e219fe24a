// Hand-made Deflate streams: fixed-code symbols, stored and dynamic block headers, on the kit's
// LSB-first bit writer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "testkit/bit_writer.h"

namespace kelvara::test {

class DeflateWriter : public BitWriter {
  public:
    void BlockHeader(bool final, unsigned type) {
        Bits(final ? 1 : 0, 1);
        Bits(type, 2);
    }

    // Fixed-code symbols.
    void Literal(unsigned v) { v < 144 ? Code(0x30 + v, 8) : Code(0x190 + v - 144, 9); }
    // Length symbols 257..287 (286 and 287 are codes no stream may use).
    void LengthCode(unsigned symbol) {
        symbol < 280 ? Code(symbol - 256, 7) : Code(0xC0 + symbol - 280, 8);
    }
    void Distance(unsigned symbol) { Code(symbol, 5); }
    void EndOfBlock() { Code(0, 7); }

    // A stored block header: length and complement, the data to follow by Byte().
    void StoredHeader(bool final, uint16_t length, uint16_t complement) {
        BlockHeader(final, 0);
        AlignToByte();
        Bits(length, 16);
        Bits(complement, 16);
    }

    // A dynamic block header for these literal/length (257..288) and distance (1..32) code
    // lengths, each at most 15; the code-length code gives lengths 0..15 four bits each.
    void DynamicHeader(bool final, const std::vector<uint8_t>& lit,
                       const std::vector<uint8_t>& dist) {
        static constexpr uint8_t kOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                               11, 4,  12, 3, 13, 2, 14, 1, 15};
        BlockHeader(final, 2);
        Bits(static_cast<uint32_t>(lit.size() - 257), 5);
        Bits(static_cast<uint32_t>(dist.size() - 1), 5);
        Bits(19 - 4, 4);
        for (uint8_t symbol : kOrder)
            Bits(symbol <= 15 ? 4 : 0, 3);
        for (uint8_t length : lit)
            Code(length, 4);  // with sixteen 4-bit codes, symbol s has code s
        for (uint8_t length : dist)
            Code(length, 4);
    }
};

// The canonical code of each symbol for these code lengths (0 for unused symbols).
inline std::vector<uint32_t> CanonicalCodes(const std::vector<uint8_t>& lengths) {
    std::vector<uint32_t> codes(lengths.size(), 0);
    uint32_t code = 0;
    for (unsigned length = 1; length <= 15; ++length) {
        for (size_t s = 0; s < lengths.size(); ++s) {
            if (lengths[s] == length)
                codes[s] = code++;
        }
        code <<= 1;
    }
    return codes;
}

}  // namespace kelvara::test
