// Finding the next line break in UTF-16 text: the inner loop of splitting a loaded text into
// lines, which touches every character of the file (twice: once to count the lines before the
// records are allocated, once to fill them). Eight characters are tested at a time where the
// processor has SSE2, one at a time elsewhere; both give the same answer.
#pragma once

#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kelvara::textview {

constexpr char16_t kLineSeparatorChar = 0x2028;

constexpr bool IsLineBreakChar(char16_t c) {
    return (c <= 13 && (c == 13 || c == 10)) || c == kLineSeparatorChar;
}

// The index of the first CR, LF or U+2028 in s[from, n), or n when there is none.
inline std::size_t FindLineBreak(const char16_t* s, std::size_t from, std::size_t n) {
    std::size_t i = from;
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi16(10);
    const __m128i cr = _mm_set1_epi16(13);
    const __m128i separator = _mm_set1_epi16(static_cast<short>(kLineSeparatorChar));
    for (; i + 8 <= n; i += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        const __m128i hit =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(v, lf), _mm_cmpeq_epi16(v, cr)),
                         _mm_cmpeq_epi16(v, separator));
        const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hit));
        if (mask != 0) {
            return i + static_cast<std::size_t>(__builtin_ctz(mask)) / 2;
        }
    }
#endif
    while (i < n && !IsLineBreakChar(s[i])) {
        ++i;
    }
    return i;
}

}  // namespace kelvara::textview
