// Large archives made on the fly, and files that fill a disk up.
#pragma once

#include <cstdint>
#include <string>

namespace kelvara::test {

// A raw Deflate stream (one fixed-code block) that decodes to `size` zero bytes: one literal,
// then matches of 258 bytes at distance 1, about 13 bits each.
std::string ZeroDeflate(uint64_t size);
// CRC-32 of `size` zero bytes.
uint32_t ZeroCrc(uint64_t size);
// A one-entry archive whose Deflate entry `name` honestly decodes to `size` zero bytes.
std::string ZeroArchive(const std::string& name, uint32_t size);

// Writes `bytes` zero bytes to path; false when they did not all fit.
bool FillFile(const std::string& path, uint64_t bytes);

}  // namespace kelvara::test
