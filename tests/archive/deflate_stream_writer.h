// Hand-made Deflate streams: an LSB-first bit writer with fixed-code symbols, stored and
// dynamic block headers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kelvara::test {

class DeflateWriter {
  public:
    void Bits(uint32_t value, unsigned n) {
        for (unsigned i = 0; i < n; ++i)
            Bit((value >> i) & 1);
    }
    // A Huffman code, most significant bit first.
    void Code(uint32_t code, unsigned length) {
        for (unsigned i = length; i-- > 0;)
            Bit((code >> i) & 1);
    }
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

    void AlignToByte() {
        while (used_ != 0)
            Bit(0);
    }
    void Byte(uint8_t b) { Bits(b, 8); }
    size_t BitCount() const { return bytes_.size() * 8 - (used_ ? 8 - used_ : 0); }
    const std::string& Bytes() const { return bytes_; }

  private:
    void Bit(unsigned b) {
        if (used_ == 0)
            bytes_ += '\0';
        bytes_.back() = static_cast<char>(bytes_.back() | (b << used_));
        used_ = (used_ + 1) & 7;
    }
    std::string bytes_;
    unsigned used_ = 0;
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
