// The style-sheet word hash: letters count 1..26 by their upper-case position, "_" 27, "-" 0,
// then each trailing digit adds its value. The plain sum is the keyword-table slot.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kelvara::highlight {

struct CssWordHash {
    std::uint32_t hash = 0;
    std::size_t length = 0;  // characters walked
};

inline constexpr bool IsCssHashLetter(char32_t c) {
    return c == '-' || c == '_' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

inline constexpr bool IsCssDigit(char32_t c) {
    return c >= '0' && c <= '9';
}

inline constexpr std::uint32_t CssLetterValue(char32_t c) {
    if (c == '-') {
        return 0;
    }
    if (c == '_') {
        return 27;
    }
    return (c >= 'a' ? c - 'a' : c - 'A') + 1;
}

// Hashes the word at the start of [begin, end): a run of letters, "-" and "_", then a run of
// digits.
template <typename Char>
constexpr CssWordHash HashCssWord(const Char* begin, const Char* end) {
    CssWordHash result;
    const Char* p = begin;
    for (; p != end && IsCssHashLetter(static_cast<char32_t>(*p)); ++p) {
        result.hash += CssLetterValue(static_cast<char32_t>(*p));
    }
    for (; p != end && IsCssDigit(static_cast<char32_t>(*p)); ++p) {
        result.hash += static_cast<std::uint32_t>(*p - '0');
    }
    result.length = static_cast<std::size_t>(p - begin);
    return result;
}

template <typename Char>
constexpr CssWordHash HashCssWord(std::basic_string_view<Char> word) {
    return HashCssWord(word.data(), word.data() + word.size());
}

}  // namespace kelvara::highlight
