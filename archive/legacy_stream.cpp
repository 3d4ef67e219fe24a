#include "archive/legacy_stream.h"

#include <algorithm>

namespace kelvara::archive {

LegacyBitReader::LegacyBitReader(const CompressedReader& read, uint64_t compressedSize)
    : read_(read), remaining_(compressedSize), buffer_(kRefillSize) {}

bool LegacyBitReader::Refill() {
    pos_ = 0;
    end_ = 0;
    if (inputEnded_ || remaining_ == 0) {
        inputEnded_ = true;
        return false;
    }
    const size_t want = static_cast<size_t>(std::min<uint64_t>(remaining_, kRefillSize));
    const size_t got = std::min(read_(buffer_.data(), want), want);
    if (got == 0) {
        inputEnded_ = true;
        return false;
    }
    remaining_ -= got;
    end_ = got;
    return true;
}

void LegacyBitReader::Fill() {
    while (count_ <= 56) {
        if (pos_ == end_ && !Refill()) {
            // Zero bits stand in for the missing input; consuming them marks the overrun.
            phantom_ += 8;
        } else {
            bits_ |= static_cast<uint64_t>(buffer_[pos_++]) << count_;
        }
        count_ += 8;
    }
}

LegacyOutput::LegacyOutput(const BlockWriter& write)
    : write_(write), block_(kBlockSize), window_(kWindowSize, 0) {}

void LegacyOutput::CopyMatch(uint32_t distance, uint32_t length, uint64_t limit) {
    size_t from = (windowPos_ - distance) & (kWindowSize - 1);
    for (uint32_t i = 0; i < length && count_ < limit; ++i) {
        Put(window_[from]);
        from = (from + 1) & (kWindowSize - 1);
    }
}

void LegacyOutput::Flush() {
    if (used_ == 0)
        return;
    const size_t n = used_;
    used_ = 0;
    write_(block_.data(), n);
}

}  // namespace kelvara::archive
