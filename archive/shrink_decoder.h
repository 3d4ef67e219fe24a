// Method 1 (shrunk): LZW with 9- to 13-bit codes and partial clearing.
#pragma once

#include "archive/legacy_stream.h"

namespace kelvara::archive {

// Decodes until the input ends. Returns 25116 "Bad block" for an unreadable first code or a bad
// control code, 25299 "Stack overflow" for a string longer than the character stack (nothing of
// that string is written), kDecodeNoTables without tables, else kDecodeOk.
DecodeStatus Unshrink(LegacyBitReader& in, LegacyOutput& out);

}  // namespace kelvara::archive
