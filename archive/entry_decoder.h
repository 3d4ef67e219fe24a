// Decoding one entry's data by its compression method.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "archive/decoder_common.h"
#include "archive/inflate.h"

namespace kelvara::archive {

struct EntryData {
    uint16_t method = 0;
    uint16_t flags = 0;
    uint64_t compressedSize = 0;  // without the encryption header
    uint64_t uncompressedSize = 0;
    // The entry's compressed bytes, decrypted, never past compressedSize; at most n per call.
    CompressedReader read;
    // The output-block routine; pump asks it to run the message pump after the block.
    std::function<void(const uint8_t* data, size_t n, bool pump)> write;
    std::function<void()> pump;
    std::function<bool()> cancelled;
};

// Keeps the decoders' buffers from one entry to the next within one extractor.
class EntryDecoders {
  public:
    EntryDecoders();
    ~EntryDecoders();

    // Writes the decoded bytes through data.write, also those decoded before the data turned out
    // bad, and returns the decoder's status: kDecodeOk; 25116 "Bad block", 25293 or 25299 for
    // invalid data; 26895 "Unexpected end of compressed data" when the data ends before the
    // uncompressed size is reached (any method, stored too); 25326 for a method without a
    // decoder; kDecodeNoTables. A cancelled entry ends with kDecodeOk. Only the output routine
    // throws (EArchiveFatal for a failed write).
    DecodeStatus Decode(const EntryData& data);

  private:
    DecodeStatus CopyStored(const EntryData& data);
    DecodeStatus Inflate(const EntryData& data, DeflateVariant variant);

    std::vector<uint8_t> buffer_;
    std::unique_ptr<Inflater> deflate_;
    std::unique_ptr<Inflater> deflate64_;
};

}  // namespace kelvara::archive
