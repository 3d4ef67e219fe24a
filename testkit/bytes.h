// Byte-level helpers for building and reading test files: CRC-32 and little-endian fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kelvara::test {

// Bitwise CRC-32 (reflected 0xEDB88320) of the bytes, independent of the code under test.
uint32_t Crc32Of(const std::string& data);

// Little-endian 16- and 32-bit fields of `s` at byte offset `at`.
inline uint32_t Le16(const std::string& s, size_t at) {
    return static_cast<uint8_t>(s[at]) | static_cast<uint8_t>(s[at + 1]) << 8;
}
inline uint32_t Le32(const std::string& s, size_t at) {
    return Le16(s, at) | Le16(s, at + 2) << 16;
}

// Appends little-endian fields to `out`.
inline void PutLe16(std::string& out, uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}
inline void PutLe32(std::string& out, uint32_t v) {
    PutLe16(out, v & 0xFFFF);
    PutLe16(out, v >> 16);
}

}  // namespace kelvara::test
