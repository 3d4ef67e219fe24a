// Decoding one entry's data by its compression method.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "archive/inflate.h"

namespace kelvara::archive {

struct EntryData {
    uint16_t method = 0;
    uint16_t flags = 0;
    uint64_t compressedSize = 0;  // without the encryption header
    uint64_t uncompressedSize = 0;
    // The entry's compressed bytes, decrypted, never past compressedSize; at most n per call.
    InflateSource read;
    // The output-block routine; pump asks it to run the message pump after the block.
    std::function<void(const uint8_t* data, size_t n, bool pump)> write;
    std::function<void()> pump;
    std::function<bool()> cancelled;
    // A reported (non-fatal) message about this entry.
    std::function<void(int messageId)> report;
};

// Keeps the decoders' buffers from one entry to the next within one extractor.
class EntryDecoders {
  public:
    EntryDecoders();
    ~EntryDecoders();

    // Writes the decoded bytes through data.write. Fatal errors arrive as EArchiveFatal (from
    // the legacy decoders or the output routine); damaged Deflate data just ends the entry.
    void Decode(const EntryData& data);

  private:
    void CopyStored(const EntryData& data);
    void Inflate(const EntryData& data, DeflateVariant variant);

    std::vector<uint8_t> buffer_;
    std::unique_ptr<Inflater> deflate_;
    std::unique_ptr<Inflater> deflate64_;
};

}  // namespace kelvara::archive
