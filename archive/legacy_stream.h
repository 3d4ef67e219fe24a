// The bit reader and the output side (block buffer plus history window) shared by the shrink,
// reduce and implode decoders.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "archive/legacy_decoders.h"

namespace kelvara::archive {

// Reads an entry's compressed bytes in refills of at most 32,768 bytes and hands out bits,
// least significant bit of each byte first. Past the end of input it yields zero bits and
// Overrun() turns true, which ends every decoding loop.
class LegacyBitReader {
  public:
    static constexpr size_t kRefillSize = 32768;

    LegacyBitReader(const CompressedReader& read, uint64_t compressedSize);

    // The next `n` bits (1..24) as an unsigned value, the first bit read in bit 0.
    uint32_t Bits(int n) {
        if (count_ < n)
            Fill();
        const uint32_t value = static_cast<uint32_t>(bits_) & ((1u << n) - 1);
        bits_ >>= n;
        count_ -= n;
        if (count_ < phantom_)
            overrun_ = true;
        return value;
    }
    uint32_t Bit() { return Bits(1); }

    // True once a bit beyond the end of the compressed data has been consumed.
    bool Overrun() const { return overrun_; }

  private:
    void Fill();
    bool Refill();

    const CompressedReader& read_;
    uint64_t remaining_;
    std::vector<uint8_t> buffer_;
    size_t pos_ = 0;
    size_t end_ = 0;
    bool inputEnded_ = false;
    uint64_t bits_ = 0;
    int count_ = 0;    // valid bits in bits_
    int phantom_ = 0;  // zero bits appended past the end of input (the top of bits_)
    bool overrun_ = false;
};

// Collects decoded bytes in a 32,768-byte block that goes to the writer whenever it fills
// (and on Flush), and keeps the last 8,192 bytes as the history window for back references.
// Window bytes not yet written read as zeros.
class LegacyOutput {
  public:
    static constexpr size_t kBlockSize = 32768;
    static constexpr size_t kWindowSize = 8192;

    explicit LegacyOutput(const BlockWriter& write);

    void Put(uint8_t b) {
        window_[windowPos_] = b;
        windowPos_ = (windowPos_ + 1) & (kWindowSize - 1);
        block_[used_++] = b;
        ++count_;
        if (used_ == kBlockSize)
            Flush();
    }
    // Copies `length` bytes starting `distance` (1..8,192) bytes back, stopping early once
    // `limit` bytes have been produced in total.
    void CopyMatch(uint32_t distance, uint32_t length, uint64_t limit);
    void Flush();

    uint64_t Count() const { return count_; }

  private:
    const BlockWriter& write_;
    std::vector<uint8_t> block_;
    std::vector<uint8_t> window_;
    size_t used_ = 0;
    size_t windowPos_ = 0;
    uint64_t count_ = 0;
};

}  // namespace kelvara::archive
