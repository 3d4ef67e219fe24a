// A streaming decoder for raw Deflate and Deflate64 data (no zlib header or trailer).
//
// Compressed bytes are pulled from a source callback as they are needed; decoded bytes are
// produced in chunks into a sliding window owned by the decoder, so memory stays fixed whatever
// the stream claims.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

namespace kelvara::archive {

enum class DeflateVariant { kDeflate, kDeflate64 };

// Fills up to n bytes into buffer and returns how many; 0 means the compressed data ended.
using InflateSource = std::function<size_t(uint8_t* buffer, size_t n)>;

struct HuffmanTables;

class Inflater {
  public:
    static constexpr size_t kMaxChunk = 32768;
    // Result codes of Inflate besides a positive byte count.
    static constexpr long kEndOfData = 0;
    static constexpr long kDataError = -3;

    Inflater(DeflateVariant variant, InflateSource source);
    ~Inflater();
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    // Decodes up to maxBytes (at most kMaxChunk) and returns how many were produced; they stay
    // readable at Chunk() until the next call. Fewer than maxBytes only at the end of the data or
    // before an error, which the following call then returns.
    long Inflate(size_t maxBytes);
    // Starts a new stream from another source, keeping the buffers.
    void Reset(InflateSource source);
    const uint8_t* Chunk() const { return chunk_; }
    bool Finished() const { return state_ == State::kDone; }

  private:
    enum class State { kHeader, kStored, kCodes, kDone, kError };

    bool Refill();
    bool NeedBits(unsigned n);
    uint32_t TakeBits(unsigned n);
    bool ReadBlockHeader();
    bool ReadDynamicTables();
    bool CopyStored(uint8_t*& out, uint8_t* outEnd);
    bool DecodeFast(uint8_t*& out, uint8_t* outEnd);
    bool DecodeSlow(uint8_t*& out, uint8_t* outEnd);
    bool DecodeSymbol(const uint32_t* table, unsigned rootBits, uint32_t& entry);
    void CopyPending(uint8_t*& out, uint8_t* outEnd);

    DeflateVariant variant_;
    InflateSource source_;
    State state_ = State::kHeader;
    bool finalBlock_ = false;
    bool sourceEnded_ = false;

    std::unique_ptr<uint8_t[]> input_;
    const uint8_t* in_ = nullptr;
    const uint8_t* inEnd_ = nullptr;
    uint64_t bits_ = 0;
    unsigned bitCount_ = 0;
    unsigned overrun_ = 0;  // zero bytes supplied past the end of the data

    size_t windowSize_;
    size_t bufferSize_;
    std::unique_ptr<uint8_t[]> window_;
    size_t pos_ = 0;
    const uint8_t* chunk_ = nullptr;

    uint32_t storedLeft_ = 0;
    size_t pendingLength_ = 0;
    size_t pendingDistance_ = 0;

    std::unique_ptr<HuffmanTables> dynamic_;
    const uint32_t* litTable_ = nullptr;
    const uint32_t* distTable_ = nullptr;
};

}  // namespace kelvara::archive
