// Inflates the compressed image data of consecutive "IDAT" chunks, reading the file in blocks
// of at most 65535 bytes and checking each chunk's CRC-32 when its data is used up.
#pragma once

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace kelvara::png {

class TPngInput;

class TIdatReader {
  public:
    static constexpr size_t kBlockSize = 65535;

    // The input stands after the first chunk's name; its data is `length` bytes long.
    TIdatReader(TPngInput& input, uint32_t length);
    ~TIdatReader();
    TIdatReader(const TIdatReader&) = delete;
    TIdatReader& operator=(const TIdatReader&) = delete;

    // Fills up to `count` bytes and returns how many arrived: fewer only when the compressed
    // stream ended first. After an exception, Produced() tells how many bytes of that call's
    // output arrived before the error.
    size_t Inflate(uint8_t* out, size_t count);
    size_t Produced() const { return produced_; }
    // Skips what is left of the current chunk's data and checks its CRC-32.
    void Finish();

  private:
    void ReadBlock();
    void CheckCrc();
    void NextChunk();
    // Notes the input that zlib has consumed from the block before the block is reused.
    void KeepConsumedTail();
    void CheckAdler() const;

    TPngInput& input_;
    uint32_t remaining_;
    uint32_t crc_;
    bool streamEnded_ = false;
    size_t produced_ = 0;
    // zlib's own check of the stream's Adler-32 is switched off where it can be, for a faster
    // one here: the value over the output so far, and the last four bytes of input consumed,
    // which hold the stream's check value once it has ended.
    bool checkAdler_ = false;
    uint32_t adler_ = 1;
    uint8_t consumedTail_[4] = {};
    z_stream stream_{};
    std::unique_ptr<uint8_t[]> block_;
};

}  // namespace kelvara::png
