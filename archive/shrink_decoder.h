// Method 1 (shrunk): LZW with 9- to 13-bit codes and partial clearing.
#pragma once

#include "archive/legacy_stream.h"

namespace kelvara::archive {

// Decodes until the input ends. Throws EArchiveFatal 25116 for an unreadable first code or a
// bad control code, 25299 for a string longer than the character stack.
void Unshrink(LegacyBitReader& in, LegacyOutput& out);

}  // namespace kelvara::archive
