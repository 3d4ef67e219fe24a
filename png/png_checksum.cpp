#include "png/png_checksum.h"

#if defined(__SSE2__)
#include <emmintrin.h>
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

}  // namespace

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
