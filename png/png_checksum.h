// Checksums of PNG data: the Adler-32 of zlib streams and the CRC-32 of chunks, computed
// here with vector instructions where the processor has them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kelvara::png {

// Continues an Adler-32 (start with 1) over `size` bytes.
uint32_t Adler32(uint32_t adler, const uint8_t* data, size_t size);

// Continues a CRC-32 of the PNG standard (start with 0), as zlib's crc32 does.
uint32_t Crc32(uint32_t crc, const uint8_t* data, size_t size);

}  // namespace kelvara::png
