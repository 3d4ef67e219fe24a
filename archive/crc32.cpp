#include "archive/crc32.h"

#include <array>
#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define KELVARA_CRC_FOLDING 1
#endif

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

uint32_t UpdateCrcTables(uint32_t crc, const uint8_t* data, size_t n) {
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

#ifdef KELVARA_CRC_FOLDING

// x^n mod P in the reflected form (the coefficient of x^d in bit 31 - d), shifted left by one:
// the form in which a carry-less product with 64 data bits lands aligned with the next 128 bits.
constexpr uint64_t FoldConstant(unsigned n) {
    uint32_t v = 0x80000000u;  // x^0
    for (unsigned i = 0; i < n; ++i)
        v = (v >> 1) ^ ((v & 1) ? 0xEDB88320u : 0);
    return uint64_t{v} << 1;
}

// A 128-bit block A followed by `distance` more bits is replaced by A * x^distance mod P: its
// first 64 bits (the higher powers) by their product with x^(distance + 64 - 32), its last 64
// bits by their product with x^(distance - 32).
__attribute__((target("pclmul,sse2"))) inline __m128i Fold(__m128i a, __m128i k) {
    return _mm_xor_si128(_mm_clmulepi64_si128(a, k, 0x00), _mm_clmulepi64_si128(a, k, 0x11));
}

// Carry-less multiplication folds the data 64 bytes at a time into four 128-bit registers, which
// are folded into one at the end; that register and the bytes left over go through the tables.
__attribute__((target("pclmul,sse2"))) uint32_t UpdateCrcFolding(uint32_t crc, const uint8_t* data,
                                                                 size_t n) {
    const __m128i by64 = _mm_set_epi64x(static_cast<long long>(FoldConstant(512 - 32)),
                                        static_cast<long long>(FoldConstant(512 + 64 - 32)));
    const __m128i by16 = _mm_set_epi64x(static_cast<long long>(FoldConstant(128 - 32)),
                                        static_cast<long long>(FoldConstant(128 + 64 - 32)));
    auto load = [](const uint8_t* p) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    };
    // The register enters with the first four bytes, as in the table form.
    __m128i a0 = _mm_xor_si128(load(data), _mm_cvtsi32_si128(static_cast<int>(crc)));
    __m128i a1 = load(data + 16);
    __m128i a2 = load(data + 32);
    __m128i a3 = load(data + 48);
    data += 64;
    n -= 64;
    while (n >= 64) {
        a0 = _mm_xor_si128(Fold(a0, by64), load(data));
        a1 = _mm_xor_si128(Fold(a1, by64), load(data + 16));
        a2 = _mm_xor_si128(Fold(a2, by64), load(data + 32));
        a3 = _mm_xor_si128(Fold(a3, by64), load(data + 48));
        data += 64;
        n -= 64;
    }
    __m128i a = _mm_xor_si128(Fold(a0, by16), a1);
    a = _mm_xor_si128(Fold(a, by16), a2);
    a = _mm_xor_si128(Fold(a, by16), a3);
    while (n >= 16) {
        a = _mm_xor_si128(Fold(a, by16), load(data));
        data += 16;
        n -= 16;
    }
    alignas(16) uint8_t rest[16];
    _mm_store_si128(reinterpret_cast<__m128i*>(rest), a);
    return UpdateCrcTables(UpdateCrcTables(0, rest, sizeof rest), data, n);
}

bool HasCarrylessMultiply() {
    static const bool has = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse2");
    return has;
}

#endif

}  // namespace

uint32_t UpdateCrc(uint32_t crc, const uint8_t* data, size_t n) {
#ifdef KELVARA_CRC_FOLDING
    if (n >= 64 && HasCarrylessMultiply())
        return UpdateCrcFolding(crc, data, n);
#endif
    return UpdateCrcTables(crc, data, n);
}

}  // namespace kelvara::archive
