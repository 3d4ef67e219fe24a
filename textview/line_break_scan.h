// Finding the next line break in UTF-16 text: the inner loop of splitting a loaded text into
// lines, which touches every character of the file (twice: once to count the lines before the
// records are allocated, once to fill them). Eight characters are tested at a time where the
// processor has SSE2, one at a time elsewhere; both give the same answer.
#pragma once

#include <cstddef>
#include <cstdint>

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

// The number of lines ForEachLine (text_file_loading.h) finds in s[0, n), without walking them
// one by one: every break character starts a line break except an LF right after a CR or a
// U+2028, and a CR right after a U+2028 (those continue the break before them), and a text
// holds one line more than it has breaks (none when it is empty).
inline std::size_t CountLinesOf(const char16_t* s, std::size_t n) {
    if (n == 0) {
        return 0;
    }
    std::size_t breaks = 0;
    auto startsBreak = [](char16_t previous, char16_t c) {
        if (c == u'\n') {
            return previous != u'\r' && previous != kLineSeparatorChar;
        }
        if (c == u'\r') {
            return previous != kLineSeparatorChar;
        }
        return c == kLineSeparatorChar;
    };
    breaks += startsBreak(0, s[0]);
    std::size_t i = 1;
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi16(10);
    const __m128i cr = _mm_set1_epi16(13);
    const __m128i separator = _mm_set1_epi16(static_cast<short>(kLineSeparatorChar));
    // Per lane minus the breaks counted there; flushed before a lane can overflow.
    __m128i counts = _mm_setzero_si128();
    std::size_t pending = 0;
    auto flush = [&] {
        const __m128i sums = _mm_madd_epi16(counts, _mm_set1_epi16(-1));
        alignas(16) std::int32_t lanes[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(lanes), sums);
        breaks += static_cast<std::size_t>(lanes[0]) + static_cast<std::size_t>(lanes[1]) +
                  static_cast<std::size_t>(lanes[2]) + static_cast<std::size_t>(lanes[3]);
        counts = _mm_setzero_si128();
        pending = 0;
    };
    for (; i + 8 <= n; i += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i - 1));
        const __m128i afterSeparator = _mm_cmpeq_epi16(before, separator);
        const __m128i afterCrOrSeparator =
            _mm_or_si128(afterSeparator, _mm_cmpeq_epi16(before, cr));
        const __m128i starts =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(v, separator),
                                      _mm_andnot_si128(afterSeparator, _mm_cmpeq_epi16(v, cr))),
                         _mm_andnot_si128(afterCrOrSeparator, _mm_cmpeq_epi16(v, lf)));
        counts = _mm_add_epi16(counts, starts);  // a start is -1
        if (++pending == 0x7FFF) {
            flush();
        }
    }
    flush();
#endif
    for (; i < n; ++i) {
        breaks += startsBreak(s[i - 1], s[i]);
    }
    return breaks + 1;
}

}  // namespace kelvara::textview
