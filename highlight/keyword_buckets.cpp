#include "highlight/keyword_buckets.h"

#include "highlight/custom_highlighter.h"
#include "highlight/highlighter_errors.h"

namespace kelvara::highlight {

TKeywordBuckets::TKeywordBuckets(int bucketCount, int nonKeywordKind)
    : buckets_(static_cast<size_t>(bucketCount > 0 ? bucketCount : 0), -1),
      nonKeywordKind_(nonKeywordKind) {}

void TKeywordBuckets::Place(int bucket, std::string_view keyword, int kind) {
    if (bucket < 0 || bucket >= BucketCount()) {
        throw EHighlighterError("Keyword \"" + std::string(keyword) + "\" outside the table");
    }
    const std::int32_t existing = buckets_[static_cast<size_t>(bucket)];
    if (existing >= 0) {
        throw EHighlighterError("Keyword \"" + std::string(keyword) + "\" shares a bucket with \"" +
                                keywords_[static_cast<size_t>(existing)].text + "\"");
    }
    buckets_[static_cast<size_t>(bucket)] = static_cast<std::int32_t>(keywords_.size());
    keywords_.push_back({std::string(keyword), kind});
}

int TKeywordBuckets::KeywordIndexAt(int bucket) const {
    if (bucket < 0 || bucket >= BucketCount()) {
        return -1;
    }
    return buckets_[static_cast<size_t>(bucket)];
}

int TKeywordBuckets::KindOfMeasuredWord(std::uint32_t bucket,
                                        const TCustomHighlighter& highlighter) const {
    if (bucket >= buckets_.size()) {
        return nonKeywordKind_;
    }
    const std::int32_t index = buckets_[bucket];
    if (index < 0) {
        return nonKeywordKind_;
    }
    const Keyword& keyword = keywords_[static_cast<size_t>(index)];
    return highlighter.MeasuredWordEquals(keyword.text) ? keyword.kind : nonKeywordKind_;
}

}  // namespace kelvara::highlight
