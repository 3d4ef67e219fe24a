// An LSB-first bit writer for building compressed streams by hand (Deflate and the legacy ZIP
// methods all pack their bits from the least significant end of each byte).
#pragma once

#include <cstdint>
#include <string>

namespace kelvara::test {

class BitWriter {
  public:
    // `n` bits of `value`, least significant first.
    void Bits(uint32_t value, unsigned n) {
        for (unsigned i = 0; i < n; ++i)
            Bit((value >> i) & 1);
    }
    // A Huffman code, most significant bit first.
    void Code(uint32_t code, unsigned length) {
        for (unsigned i = length; i-- > 0;)
            Bit((code >> i) & 1);
    }
    // Deflate's fixed codes: a literal byte, a length symbol (257-287) and the end of a block.
    void Literal(unsigned v) { v < 144 ? Code(0x30 + v, 8) : Code(0x190 + v - 144, 9); }
    void LengthCode(unsigned symbol) {
        symbol < 280 ? Code(symbol - 256, 7) : Code(0xC0 + symbol - 280, 8);
    }
    void EndOfBlock() { Code(0, 7); }
    void AlignToByte() {
        while (used_ != 0)
            Bit(0);
    }
    void Byte(uint8_t b) { Bits(b, 8); }
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

}  // namespace kelvara::test
