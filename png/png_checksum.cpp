#include "png/png_checksum.h"

#include <zlib.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) || defined(__i386__)
#include <wmmintrin.h>
#define KELVARA_PNG_CLMUL 1
#endif

namespace kelvara::png {

namespace {

constexpr uint32_t kModulus = 65521;
// The most bytes after which the sums still fit 32 bits before they are reduced.
constexpr size_t kMaxRun = 5552;

void AddBytes(uint32_t& a, uint32_t& b, const uint8_t* data, size_t size) {
    for (size_t i = 0; i < size; ++i) {
        a += data[i];
        b += a;
    }
}

#if defined(__SSE2__)
// Sums 16-byte blocks; `blocks` x 16 stays within kMaxRun. Per block, b grows by 16 x a plus
// the bytes weighted 16, 15, ..., 1, and a by the plain sum of the bytes.
void AddBlocks(uint32_t& a, uint32_t& b, const uint8_t* data, size_t blocks) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i weightsLow = _mm_set_epi16(9, 10, 11, 12, 13, 14, 15, 16);
    const __m128i weightsHigh = _mm_set_epi16(1, 2, 3, 4, 5, 6, 7, 8);
    __m128i sums = zero;      // plain sums, in two 64-bit lanes
    __m128i previous = zero;  // the plain sums before each block, added up
    __m128i weighted = zero;  // weighted sums, in four 32-bit lanes
    for (size_t i = 0; i < blocks; ++i) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16 * i));
        previous = _mm_add_epi32(previous, sums);
        sums = _mm_add_epi32(sums, _mm_sad_epu8(bytes, zero));
        weighted =
            _mm_add_epi32(weighted, _mm_madd_epi16(_mm_unpacklo_epi8(bytes, zero), weightsLow));
        weighted =
            _mm_add_epi32(weighted, _mm_madd_epi16(_mm_unpackhi_epi8(bytes, zero), weightsHigh));
    }
    const auto total = [](__m128i v) {
        alignas(16) uint32_t lanes[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(lanes), v);
        return uint64_t(lanes[0]) + lanes[1] + lanes[2] + lanes[3];
    };
    const uint64_t bytesSum = total(sums);
    b = uint32_t((b + uint64_t(a) * 16 * blocks + total(previous) * 16 + total(weighted)) %
                 kModulus);
    a = uint32_t((a + bytesSum) % kModulus);
}
#endif

#if defined(KELVARA_PNG_CLMUL)
// Folding a CRC with carry-less multiplication: the data's polynomial is reduced 128 bits at a
// time by multiplying the bits already read with x^n mod P, n being how far they lie from the
// block they are added to. Registers hold the bits reflected, as the CRC of the PNG standard
// reads them; reflecting a product moves it one bit, hence the constants' shift.
constexpr uint64_t FoldConstant(unsigned n) {
    uint64_t remainder = 1;
    for (unsigned i = 0; i < n; ++i) {
        remainder <<= 1;
        if (remainder >> 32 & 1) {
            remainder ^= 0x104C11DB7u;
        }
    }
    uint64_t reflected = 0;
    for (unsigned bit = 0; bit < 32; ++bit) {
        reflected |= (remainder >> bit & 1) << (31 - bit);
    }
    return reflected << 1;
}

bool HasClmul() {
    static const bool has = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse2");
    return has;
}

// Moves `value` (the upper half at distance n + 32, the lower at n - 32) forward onto the
// 128 bits that lie n bits further on, and adds it there.
__attribute__((target("pclmul,sse2"))) inline __m128i Fold(__m128i value, __m128i constants,
                                                           __m128i onto) {
    return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(value, constants, 0x00),
                                       _mm_clmulepi64_si128(value, constants, 0x11)),
                         onto);
}

// The CRC over a multiple of 64 bytes, at least 64.
__attribute__((target("pclmul,sse2"))) uint32_t FoldBlocks(uint32_t crc, const uint8_t* data,
                                                           size_t size) {
    const auto load = [&](size_t at) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
    };
    const __m128i by4 =
        _mm_set_epi64x(int64_t(FoldConstant(4 * 128 - 32)), int64_t(FoldConstant(4 * 128 + 32)));
    const __m128i by1 =
        _mm_set_epi64x(int64_t(FoldConstant(128 - 32)), int64_t(FoldConstant(128 + 32)));
    // The register's starting value enters as if added to the first four bytes.
    __m128i x0 = _mm_xor_si128(load(0), _mm_cvtsi32_si128(int(~crc)));
    __m128i x1 = load(16), x2 = load(32), x3 = load(48);
    for (size_t at = 64; at < size; at += 64) {
        x0 = Fold(x0, by4, load(at));
        x1 = Fold(x1, by4, load(at + 16));
        x2 = Fold(x2, by4, load(at + 32));
        x3 = Fold(x3, by4, load(at + 48));
    }
    x1 = Fold(x0, by1, x1);
    x2 = Fold(x1, by1, x2);
    x3 = Fold(x2, by1, x3);
    // What is left behaves like 16 bytes of data read from a register of zero.
    alignas(16) uint8_t rest[16];
    _mm_store_si128(reinterpret_cast<__m128i*>(rest), x3);
    return uint32_t(crc32(0xFFFFFFFFu, rest, sizeof rest));
}
#endif

}  // namespace

uint32_t Crc32(uint32_t crc, const uint8_t* data, size_t size) {
#if defined(KELVARA_PNG_CLMUL)
    if (size >= 256 && HasClmul()) {
        const size_t folded = size / 64 * 64;
        crc = FoldBlocks(crc, data, folded);
        data += folded;
        size -= folded;
    }
#endif
    return size == 0 ? crc : uint32_t(crc32(crc, data, uInt(size)));
}

uint32_t Adler32(uint32_t adler, const uint8_t* data, size_t size) {
    uint32_t a = adler & 0xFFFF;
    uint32_t b = adler >> 16;
    while (size > 0) {
        size_t run = size < kMaxRun ? size : kMaxRun;
#if defined(__SSE2__)
        const size_t blocks = run / 16;
        AddBlocks(a, b, data, blocks);
        data += blocks * 16;
        size -= blocks * 16;
        run -= blocks * 16;
#endif
        AddBytes(a, b, data, run);
        a %= kModulus;
        b %= kModulus;
        data += run;
        size -= run;
    }
    return b << 16 | a;
}

}  // namespace kelvara::png
