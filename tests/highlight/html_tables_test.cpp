#include <gtest/gtest.h>

#include <set>
#include <string>

#include "highlight/html_entities.h"
#include "highlight/html_tag_names.h"

namespace kelvara::highlight {
namespace {

// Recomputes the hash by hand so that a wrong step or modulus in the shared helpers shows.
int ManualBucket(std::string_view word) {
    std::uint32_t acc = 0;
    for (unsigned char c : word) {
        acc = acc * 932u + c * 46u;
    }
    return static_cast<int>(acc % 1543u);
}

TEST(HtmlTagTable, EveryNameHasABucketOfItsOwn) {
    const auto& names = HtmlTagNames();
    const auto& buckets = HtmlTagBuckets();
    std::set<int> used;
    for (int i = 0; i < kHtmlTagNameCount; ++i) {
        int bucket = ManualBucket(names[i]);
        EXPECT_EQ(bucket, HtmlTagBucketOfWord(names[i])) << names[i];
        EXPECT_EQ(buckets[bucket], i) << names[i];
        used.insert(bucket);
    }
    EXPECT_EQ(used.size(), 202u);
    int filled = 0;
    for (auto index : buckets) {
        filled += index >= 0 ? 1 : 0;
        EXPECT_GE(index, -1);
    }
    EXPECT_EQ(filled, 202);
}

TEST(HtmlEntityTable, CapitalisedEntriesHaveLowerCaseTwins) {
    std::set<std::string> all;
    for (auto e : HtmlEntities()) {
        ASSERT_GE(e.size(), 3u);
        EXPECT_EQ(e.front(), '&');
        EXPECT_EQ(e.back(), ';');
        all.insert(std::string(e));
    }
    EXPECT_EQ(all.size(), 249u);
    for (const auto& e : all) {
        std::string lower = e;
        for (char& c : lower) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        EXPECT_TRUE(all.count(lower)) << e;
    }
    EXPECT_EQ(HtmlEntities().front(), "&Alpha;");
    // Each entry is found at its own index; a name cut short or unknown is not found.
    for (int i = 0; i < kHtmlEntityCount; ++i) {
        const std::string_view e = HtmlEntities()[i];
        const std::u16string wide(e.begin(), e.end());
        EXPECT_EQ(FindHtmlEntity(wide.c_str()), i) << e;
        EXPECT_EQ(FindHtmlEntity(wide.substr(0, wide.size() - 1).c_str()), -1) << e;
    }
    EXPECT_EQ(FindHtmlEntity(u"&zz;"), -1);
    EXPECT_EQ(FindHtmlEntity(u"&\u0416;"), -1);
    EXPECT_EQ(FindHtmlEntity(u"amp;"), -1);
    EXPECT_EQ(HtmlEntities().back(), "&circ;");
}

}  // namespace
}  // namespace kelvara::highlight
