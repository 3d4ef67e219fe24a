// CRC-32 with the reflected polynomial 0xEDB88320, as used by ZIP archives.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kelvara::archive {

// Running register: start with kCrcInit, feed blocks, finish with FinishCrc.
constexpr uint32_t kCrcInit = 0xFFFFFFFFu;

uint32_t UpdateCrc(uint32_t crc, const uint8_t* data, size_t n);
inline uint32_t FinishCrc(uint32_t crc) {
    return crc ^ 0xFFFFFFFFu;
}

// The stored value passes when it equals the finished register or its complement.
inline bool CrcMatches(uint32_t stored, uint32_t finished) {
    return stored == finished || stored == (finished ^ 0xFFFFFFFFu);
}

}  // namespace kelvara::archive
