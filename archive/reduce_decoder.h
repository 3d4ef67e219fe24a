// Methods 2 to 5 (reduced with compression factor 1 to 4): follower-set coded characters
// expanded with the 144 escape scheme over a 4,096-byte window.
#pragma once

#include <cstdint>

#include "archive/legacy_stream.h"

namespace kelvara::archive {

// Decodes until the input ends or `uncompressedSize` bytes are out. Returns 25116 "Bad block"
// for a follower set longer than 32 characters or a follower index beyond its set, else
// kDecodeOk (also when the input ended early: the caller compares the size).
DecodeStatus Unreduce(LegacyBitReader& in, LegacyOutput& out, int factor,
                      uint64_t uncompressedSize);

}  // namespace kelvara::archive
