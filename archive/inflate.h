// A streaming decoder for raw Deflate and Deflate64 data (no zlib header or trailer).
//
// Compressed bytes are pulled from a source callback as they are needed; decoded bytes are
// produced in chunks into a sliding window owned by the decoder, so memory stays fixed whatever
// the stream claims.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "archive/decoder_common.h"

namespace kelvara::archive {

enum class DeflateVariant { kDeflate, kDeflate64 };

struct HuffmanTables;

class Inflater {
  public:
    static constexpr size_t kMaxChunk = 32768;

    Inflater(DeflateVariant variant, CompressedReader source);
    ~Inflater();
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    // Decodes up to maxBytes (at most kMaxChunk) and returns how many were produced; they stay
    // readable at Chunk() until the next call. Fewer than maxBytes only at the end of the stream
    // or just before a failure; 0 once the stream has ended or failed (Status() tells which).
    size_t Inflate(size_t maxBytes);
    // kDecodeOk while the stream is sound, also once it has ended; kMsgBadBlock for data that is
    // not valid Deflate (a bad block type, a stored length that does not match its complement,
    // unusable code lengths, an invalid code, a distance before the first output byte);
    // kMsgUnexpectedEnd when the input ended inside the stream. Every byte produced was decoded
    // from real input: the stream's last bits are never padded out with zeros.
    DecodeStatus Status() const { return status_; }
    // Starts a new stream from another source, keeping the buffers.
    void Reset(CompressedReader source);
    const uint8_t* Chunk() const { return chunk_; }
    bool Finished() const { return state_ == State::kDone; }

  private:
    enum class State { kHeader, kStored, kCodes, kDone, kError };

    bool Fail(DecodeStatus status);
    bool Refill();
    bool FillBits(unsigned n);
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
    CompressedReader source_;
    State state_ = State::kHeader;
    DecodeStatus status_ = kDecodeOk;
    bool finalBlock_ = false;
    bool sourceEnded_ = false;

    std::unique_ptr<uint8_t[]> input_;
    const uint8_t* in_ = nullptr;
    const uint8_t* inEnd_ = nullptr;
    uint64_t bits_ = 0;
    unsigned bitCount_ = 0;  // valid bits in bits_; the fast loop may leave more above them

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
