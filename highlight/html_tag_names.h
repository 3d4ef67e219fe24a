// The HTML tag names and the word hash that spreads them over the bucket table.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace kelvara::highlight {

inline constexpr int kHtmlTagNameCount = 202;
inline constexpr int kHtmlTagBucketCount = 1543;

// All lower case, start tags and closing forms ("/p") alike, plus "!doctype".
const std::array<std::string_view, kHtmlTagNameCount>& HtmlTagNames();

// Characters that belong to a tag name as the hash walks it: letters, digits, '_', '!' and '/'.
inline constexpr bool IsHtmlTagNameChar(char32_t c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || c == '_' || (c >= 'a' && c <= 'z') ||
           c == '!' || c == '/';
}

// One step of the tag-name hash; the accumulator wraps at 32 bits.
inline constexpr std::uint32_t HtmlTagHashStep(std::uint32_t acc, char32_t c) {
    return acc * 932u + static_cast<std::uint32_t>(c) * 46u;
}

inline constexpr int HtmlTagBucketOf(std::uint32_t acc) {
    return static_cast<int>(acc % kHtmlTagBucketCount);
}

template <typename Char>
constexpr int HtmlTagBucketOfWord(std::basic_string_view<Char> word) {
    std::uint32_t acc = 0;
    for (Char c : word) {
        acc = HtmlTagHashStep(acc, static_cast<char32_t>(c));
    }
    return HtmlTagBucketOf(acc);
}

// Per bucket the index into HtmlTagNames(), or -1 for an empty bucket.
const std::array<std::int16_t, kHtmlTagBucketCount>& HtmlTagBuckets();

}  // namespace kelvara::highlight
