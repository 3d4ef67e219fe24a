#include <gtest/gtest.h>

#include <QStringList>
#include <algorithm>

#include "foldertree/folder_name_order.h"

using kelvara::foldertree::CompareNamesNaturally;

namespace {

QStringList Sorted(QStringList names) {
    std::sort(names.begin(), names.end(),
              [](const QString& a, const QString& b) { return CompareNamesNaturally(a, b) < 0; });
    return names;
}

TEST(FolderNameOrder, NumbersCompareByValue) {
    EXPECT_EQ(Sorted({"file10", "file2", "file1", "file100"}),
              QStringList({"file1", "file2", "file10", "file100"}));
    EXPECT_EQ(Sorted({"a10b2", "a10b10", "a9b99"}), QStringList({"a9b99", "a10b2", "a10b10"}));
    // Longer than any integer type: still compared by value, not overflowing.
    EXPECT_LT(CompareNamesNaturally(u"n99999999999999999999999", u"n100000000000000000000000"), 0);
}

TEST(FolderNameOrder, CaseIsIgnoredButTheOrderStaysTotal) {
    EXPECT_EQ(Sorted({"beta", "Alpha", "alpha2", "ALPHA10", "Gamma"}),
              QStringList({"Alpha", "alpha2", "ALPHA10", "beta", "Gamma"}));
    EXPECT_LT(CompareNamesNaturally(u"Яблоко", u"яблоко1"), 0);
    // Names that differ only in case are not equal, so no two distinct names tie.
    EXPECT_NE(CompareNamesNaturally(u"File", u"file"), 0);
    EXPECT_EQ(CompareNamesNaturally(u"File", u"file"), -CompareNamesNaturally(u"file", u"File"));
    EXPECT_EQ(CompareNamesNaturally(u"same", u"same"), 0);
}

TEST(FolderNameOrder, LeadingZerosOnlyBreakTies) {
    EXPECT_LT(CompareNamesNaturally(u"x01", u"x2"), 0);
    EXPECT_LT(CompareNamesNaturally(u"x1", u"x01"), 0);
    EXPECT_NE(CompareNamesNaturally(u"x007", u"x7"), 0);
    // An earlier difference decides before a tie from zeros.
    EXPECT_LT(CompareNamesNaturally(u"x01a", u"x1b"), 0);
}

TEST(FolderNameOrder, PrefixesComeFirst) {
    EXPECT_LT(CompareNamesNaturally(u"icon", u"icon.png"), 0);
    EXPECT_LT(CompareNamesNaturally(u"", u"a"), 0);
    EXPECT_LT(CompareNamesNaturally(u"page", u"page2"), 0);
}

}  // namespace
