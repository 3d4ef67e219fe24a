// The JavaScript keywords in three kinds, and the hash that spreads them over the bucket table.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "highlight/jscript_token_kinds.h"
#include "highlight/keyword_buckets.h"

namespace kelvara::highlight {

inline constexpr int kJScriptBucketCount = 5153;

struct JScriptKeyword {
    std::string_view text;
    JScriptTokenKind kind;
};

inline constexpr int kJScriptKeywordCount = 399;

// Every keyword with its kind: reserved words, event-handler names, then the built-in object,
// property and method names.
const std::array<JScriptKeyword, kJScriptKeywordCount>& JScriptKeywords();

// acc = acc * 751 + code * 148 over the identifier characters, wrapping at 32 bits.
using JScriptWordHash = MultiplyAddHash<751, 148>;

inline constexpr int JScriptBucketOf(std::uint32_t acc) {
    return static_cast<int>(acc % kJScriptBucketCount);
}

// Per bucket the index into JScriptKeywords(), or -1 for an empty bucket.
const std::array<std::int16_t, kJScriptBucketCount>& JScriptBucketKeywords();

}  // namespace kelvara::highlight
