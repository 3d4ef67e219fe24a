// Decoders for the legacy ZIP compression methods: shrunk (1), reduced (2-5) and imploded (6).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "archive/decoder_common.h"

namespace kelvara::archive {

// The component's output-block routine (writes the block, adds it to the CRC; may throw
// EArchiveFatal when the output side fails).
using BlockWriter = std::function<void(const uint8_t* data, size_t n)>;

struct LegacyEntryInfo {
    uint16_t method;
    uint16_t flags;
    uint64_t compressedSize;
    uint64_t uncompressedSize;
};

// Decodes methods 1 (shrunk), 2-5 (reduced, factor method-1) and 6 (imploded), writes what was
// decoded (also when the data turns out bad) and returns the status: 25116 "Bad block" for a
// bad shrink code or reduce follower data, 25299 "Stack overflow" for an overlong shrink string,
// 25293 for an implode tree that cannot be built (before any output) or walked, 26895 when the
// data ends before the uncompressed size is reached, 25326 for any other method, and
// kDecodeNoTables when the tables cannot be allocated. Only the writer throws.
DecodeStatus DecodeLegacy(const LegacyEntryInfo& info, const CompressedReader& read,
                          const BlockWriter& write);

}  // namespace kelvara::archive
