// The style-sheet word hash: letters count 1..26 by their upper-case position, "_" 27, "-" 0,
// then each trailing digit adds its value. The plain sum is the keyword-table slot.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>

namespace kelvara::highlight {

struct CssWordHash {
    std::uint32_t hash = 0;
    std::size_t length = 0;  // characters walked
};

// Per ASCII code the value a word character adds; -1 for characters that are no part of the
// letter run (digits included: they only follow it).
inline constexpr std::array<std::int8_t, 128> kCssLetterValues = [] {
    std::array<std::int8_t, 128> values{};
    values.fill(-1);
    for (int c = 'a'; c <= 'z'; ++c) {
        values[static_cast<size_t>(c)] = static_cast<std::int8_t>(c - 'a' + 1);
        values[static_cast<size_t>(c - 'a' + 'A')] = static_cast<std::int8_t>(c - 'a' + 1);
    }
    values['_'] = 27;
    values['-'] = 0;
    return values;
}();

// Hashes the word at the start of [begin, end): a run of letters, "-" and "_", then a run of
// digits.
template <typename Char>
constexpr CssWordHash HashCssWord(const Char* begin, const Char* end) {
    CssWordHash result;
    const Char* p = begin;
    for (; p != end; ++p) {
        const auto code = static_cast<std::make_unsigned_t<Char>>(*p);
        if (code >= 128 || kCssLetterValues[code] < 0) {
            break;
        }
        result.hash += static_cast<std::uint32_t>(kCssLetterValues[code]);
    }
    for (; p != end && *p >= '0' && *p <= '9'; ++p) {
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
