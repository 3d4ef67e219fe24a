#include "archive/crc32.h"

#include <array>
#include <cstring>

namespace kelvara::archive {
namespace {

// Eight tables: table[k][b] is the CRC of byte b followed by k zero bytes, so eight input bytes
// are folded per step.
using CrcTables = std::array<std::array<uint32_t, 256>, 8>;

CrcTables BuildTables() {
    CrcTables t{};
    for (uint32_t b = 0; b < 256; ++b) {
        uint32_t c = b;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
        t[0][b] = c;
    }
    for (int k = 1; k < 8; ++k) {
        for (uint32_t b = 0; b < 256; ++b)
            t[k][b] = (t[k - 1][b] >> 8) ^ t[0][t[k - 1][b] & 0xFF];
    }
    return t;
}

const CrcTables& Tables() {
    static const CrcTables tables = BuildTables();
    return tables;
}

}  // namespace

uint32_t UpdateCrc(uint32_t crc, const uint8_t* data, size_t n) {
    const CrcTables& t = Tables();
    while (n >= 8) {
        uint32_t lo, hi;
        std::memcpy(&lo, data, 4);
        std::memcpy(&hi, data + 4, 4);
        lo ^= crc;
        crc = t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24] ^
              t[3][hi & 0xFF] ^ t[2][(hi >> 8) & 0xFF] ^ t[1][(hi >> 16) & 0xFF] ^ t[0][hi >> 24];
        data += 8;
        n -= 8;
    }
    while (n--)
        crc = (crc >> 8) ^ t[0][(crc ^ *data++) & 0xFF];
    return crc;
}

}  // namespace kelvara::archive
