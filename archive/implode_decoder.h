// Method 6 (imploded): Shannon-Fano coded literals, lengths and distances over a 4,096- or
// 8,192-byte window.
#pragma once

#include <cstdint>

#include "archive/legacy_stream.h"

namespace kelvara::archive {

// General-purpose flag bits that select the implode variant.
constexpr uint16_t kImplodeFlag8kWindow = 0x0002;
constexpr uint16_t kImplodeFlagLiteralTree = 0x0004;

// Decodes until `uncompressedSize` bytes are out or the input ends. Returns 25293 "Ambiguous
// Shannon-Fano decode tree encountered" for a tree that cannot be built (nothing is decoded)
// and for an empty branch met while decoding, else kDecodeOk (also when the input ended early:
// the caller compares the size).
DecodeStatus Explode(LegacyBitReader& in, LegacyOutput& out, uint16_t flags,
                     uint64_t uncompressedSize);

}  // namespace kelvara::archive
