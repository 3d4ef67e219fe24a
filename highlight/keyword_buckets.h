// The bucket-table form of a keyword look-up: a highlighter hashes the word at the scan
// position (TCustomHighlighter::MeasureWord) and reduces the accumulator to a bucket index;
// every bucket holds at most one keyword. An empty bucket answers the non-keyword kind at once;
// a filled one compares the measured word with its keyword and answers the keyword's kind on a
// match, the non-keyword kind otherwise.
//
//     TKeywordBuckets buckets(5153, kIdentifier);
//     buckets.Place(bucketOfKeyword, "while", kReservedWord);   // in the constructor
//     const std::uint32_t acc = MeasureWord(IsIdentifierCode, Step);
//     kind_ = buckets.KindOfMeasuredWord(acc % 5153, *this);
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelvara::highlight {

class TCustomHighlighter;

class TKeywordBuckets {
  public:
    TKeywordBuckets(int bucketCount, int nonKeywordKind);

    // Puts an ASCII keyword into its bucket. Throws EHighlighterError when the bucket is
    // outside the table or already holds a keyword.
    void Place(int bucket, std::string_view keyword, int kind);

    int BucketCount() const { return static_cast<int>(buckets_.size()); }
    int KeywordCount() const { return static_cast<int>(keywords_.size()); }
    int NonKeywordKind() const { return nonKeywordKind_; }
    // The keyword index of a bucket (order of Place), or -1 for an empty or outside bucket.
    int KeywordIndexAt(int bucket) const;

    // The kind for the word last measured by `highlighter`, looked up in `bucket`.
    int KindOfMeasuredWord(std::uint32_t bucket, const TCustomHighlighter& highlighter) const;

  private:
    struct Keyword {
        std::string text;
        int kind;
    };
    std::vector<std::int32_t> buckets_;  // keyword index or -1
    std::vector<Keyword> keywords_;
    int nonKeywordKind_;
};

// The multiply-and-add accumulator step used by the bucket tables:
// acc = acc * multiplier + code * factor, in wrapping unsigned 32-bit arithmetic.
template <std::uint32_t Multiplier, std::uint32_t Factor>
struct MultiplyAddHash {
    constexpr std::uint32_t operator()(std::uint32_t acc, char16_t c) const {
        return acc * Multiplier + static_cast<std::uint32_t>(c) * Factor;
    }
    template <typename Char>
    static constexpr std::uint32_t OfWord(std::basic_string_view<Char> word) {
        std::uint32_t acc = 0;
        for (Char c : word) {
            acc = acc * Multiplier + static_cast<std::uint32_t>(c) * Factor;
        }
        return acc;
    }
};

}  // namespace kelvara::highlight
