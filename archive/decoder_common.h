// What every entry decoder shares: the compression method numbers, the source of an entry's
// compressed bytes and the status by which a decoder tells whether its input was sound.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace kelvara::archive {

// Compression methods of the ZIP format that the decoders handle.
enum CompressionMethod : uint16_t {
    kMethodStored = 0,
    kMethodShrunk = 1,
    kMethodReducedFactor1 = 2,
    kMethodReducedFactor2 = 3,
    kMethodReducedFactor3 = 4,
    kMethodReducedFactor4 = 5,
    kMethodImploded = 6,
    kMethodDeflated = 8,
    kMethodDeflate64 = 9,
};

// Fills up to n bytes of the entry's compressed data (already decrypted, never past the
// compressed size) into buffer and returns how many; 0 means the compressed data ended.
using CompressedReader = std::function<size_t(uint8_t* buffer, size_t n)>;

// A decoder's verdict on its input: kDecodeOk, or the id of the message that reports the entry
// (kMsgBadBlock, kMsgUnexpectedEnd, ...), or kDecodeNoTables.
using DecodeStatus = int;
constexpr DecodeStatus kDecodeOk = 0;
// The decoder's tables could not be allocated: the entry is not decoded and no message is given.
constexpr DecodeStatus kDecodeNoTables = -1;

}  // namespace kelvara::archive
