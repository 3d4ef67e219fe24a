// Helpers for the legacy decoder tests: the local entries of a small ZIP file, and
// DecodeLegacy driven from memory.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "archive/legacy_decoders.h"
#include "tests/archive/legacy_test_encoders.h"

namespace kelvara::test {

struct LocalEntry {
    std::string name;
    uint16_t flags = 0;
    uint16_t method = 0;
    uint16_t dosTime = 0;
    uint32_t crc = 0;
    uint64_t compressedSize = 0;
    uint64_t uncompressedSize = 0;
    std::string data;  // the entry's stored bytes (encryption header included)
};

inline uint32_t Le16(const std::string& s, size_t at) {
    return static_cast<uint8_t>(s[at]) | static_cast<uint8_t>(s[at + 1]) << 8;
}
inline uint32_t Le32(const std::string& s, size_t at) {
    return Le16(s, at) | Le16(s, at + 2) << 16;
}

// The entries of an archive read by walking its local headers from the start; the sizes must
// be in the local headers.
inline std::vector<LocalEntry> LocalEntries(const std::string& zip) {
    std::vector<LocalEntry> entries;
    size_t at = 0;
    while (at + 30 <= zip.size() && Le32(zip, at) == 0x04034b50) {
        LocalEntry e;
        e.flags = static_cast<uint16_t>(Le16(zip, at + 6));
        e.method = static_cast<uint16_t>(Le16(zip, at + 8));
        e.dosTime = static_cast<uint16_t>(Le16(zip, at + 10));
        e.crc = Le32(zip, at + 14);
        e.compressedSize = Le32(zip, at + 18);
        e.uncompressedSize = Le32(zip, at + 22);
        const size_t nameLength = Le16(zip, at + 26);
        const size_t extraLength = Le16(zip, at + 28);
        e.name = zip.substr(at + 30, nameLength);
        const size_t dataAt = at + 30 + nameLength + extraLength;
        e.data = zip.substr(dataAt, e.compressedSize);
        entries.push_back(e);
        at = dataAt + e.compressedSize;
    }
    return entries;
}

// Bitwise CRC-32 (reflected 0xEDB88320), independent of the component's table.
inline uint32_t Crc32(const std::string& bytes) {
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char b : bytes) {
        crc ^= b;
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

// The outcome of one DecodeLegacy call.
struct DecodeResult {
    std::string output;
    archive::DecodeStatus status = archive::kDecodeOk;
    size_t largestWrite = 0;  // largest block handed to the writer
    size_t largestRead = 0;   // largest read request
};

// Decodes `data` as an entry with the given method and flags; readChunk limits how many bytes
// each read call returns.
DecodeResult DecodeBytes(const std::string& data, uint16_t method, uint16_t flags,
                         uint64_t uncompressedSize, size_t readChunk = SIZE_MAX);
inline DecodeResult DecodeEntry(const LocalEntry& e) {
    return DecodeBytes(e.data, e.method, e.flags, e.uncompressedSize);
}

}  // namespace kelvara::test
