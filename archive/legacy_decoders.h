// Decoders for the legacy ZIP compression methods: shrunk (1), reduced (2-5) and imploded (6).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace kelvara::archive {

// Next compressed bytes of the entry, already decrypted, never past the compressed size;
// returns 0 at the end of input.
using CompressedReader = std::function<size_t(uint8_t* buffer, size_t n)>;
// The component's output-block routine (writes the block, adds it to the CRC; may throw
// EArchiveFatal).
using BlockWriter = std::function<void(const uint8_t* data, size_t n)>;
// A reported (non-fatal) message.
using Reporter = std::function<void(int messageId)>;

struct LegacyEntryInfo {
    uint16_t method;
    uint16_t flags;
    uint64_t compressedSize;
    uint64_t uncompressedSize;
};

// Decodes methods 1 (shrunk), 2-5 (reduced, factor method-1) and 6 (imploded). Throws
// EArchiveFatal(id) for fatal messages (25116 "Bad block", 25299 "Stack overflow", 25293 while
// walking a tree); flushes what was decoded before throwing. An ambiguous implode tree found
// while building it is reported with report(25293) and the entry ends before any data is
// decoded.
void DecodeLegacy(const LegacyEntryInfo& info, const CompressedReader& read,
                  const BlockWriter& write, const Reporter& report);

}  // namespace kelvara::archive
