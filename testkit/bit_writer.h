// An LSB-first bit writer for building compressed streams by hand: Deflate (see
// deflate_stream_writer.h) and the legacy ZIP methods all pack their bits from the least
// significant end of each byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kelvara::test {

class BitWriter {
  public:
    // `n` (at most 32) bits of `value`, least significant first.
    void Bits(uint32_t value, unsigned n) {
        for (unsigned i = 0; i < n; ++i)
            Bit((value >> i) & 1);
    }
    // A Huffman code, most significant bit first.
    void Code(uint32_t code, unsigned length) {
        for (unsigned i = length; i-- > 0;)
            Bit((code >> i) & 1);
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

}  // namespace kelvara::test
