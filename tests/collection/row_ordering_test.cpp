#include <gtest/gtest.h>

#include "collection/row_ordering.h"

namespace {

using namespace kelvara::collection;

WidgetRow Row(std::string caption, std::string name, int64_t size, std::string date) {
    WidgetRow row;
    row.caption = std::move(caption);
    row.widgetName = std::move(name);
    row.size = size;
    row.sizeText = std::to_string(size);
    row.dateText = std::move(date);
    return row;
}

TEST(RowOrdering, ClickingTheSameColumnFlipsAndANewColumnKeepsTheDirection) {
    SortState state;  // start-up: column 0 ("Название виджета"), descending
    ApplyColumnClick(state, 2);  // "Размер": new column, still descending
    EXPECT_EQ(state.sortColumn, 1);
    EXPECT_FALSE(state.sortAscending);
    ApplyColumnClick(state, 2);
    EXPECT_TRUE(state.sortAscending);
    ApplyColumnClick(state, 3);
    EXPECT_EQ(state.sortColumn, 2);
    EXPECT_TRUE(state.sortAscending);

    SortState fresh;
    ApplyColumnClick(fresh, 1);  // the start state already names this column
    EXPECT_TRUE(fresh.sortAscending);
}

TEST(RowOrdering, SizesCompareAsNumbersAndDatesAsText) {
    SortState bySize{1, true};
    EXPECT_LT(CompareRows(Row("a", "", 9, ""), Row("b", "", 10, ""), bySize), 0);
    EXPECT_GT(CompareRows(Row("a", "", 3'000'000'000LL, ""), Row("b", "", 10, ""), bySize), 0);
    SortState descending{1, false};
    EXPECT_GT(CompareRows(Row("a", "", 9, ""), Row("b", "", 10, ""), descending), 0);

    SortState byDate{2, true};
    EXPECT_LT(CompareRows(Row("a", "", 0, "01.02.2009"), Row("b", "", 0, "15.01.2008"), byDate), 0);
    EXPECT_EQ(CompareRows(Row("a", "", 0, "x"), Row("b", "", 0, "x"), byDate), 0);
}

TEST(RowOrdering, TextsCompareByteWise) {
    SortState byName{0, true};
    EXPECT_LT(CompareRows(Row("", "Apple", 0, ""), Row("", "apple", 0, ""), byName), 0);
    // Latin capitals, then Latin small letters, then Cyrillic.
    EXPECT_LT(CompareRows(Row("", "zebra", 0, ""), Row("", "Яблоко", 0, ""), byName), 0);
    EXPECT_LT(CompareRows(Row("", "Zebra", 0, ""), Row("", "apple", 0, ""), byName), 0);
    EXPECT_LT(CompareRows(Row("", "app", 0, ""), Row("", "apple", 0, ""), byName), 0);
    SortState byCaption{-1, false};
    EXPECT_GT(CompareRows(Row("a.wgt", "", 0, ""), Row("b.wgt", "", 0, ""), byCaption), 0);
}

TEST(RowOrdering, ArrowSuffixes) {
    SortState up{1, true}, down{1, false};
    EXPECT_EQ(CaptionWithArrow("Размер", up), "Размер   \\/");
    EXPECT_EQ(CaptionWithArrow("Размер", down), "Размер   /\\");
    EXPECT_EQ(CaptionWithoutArrow("Размер   /\\"), "Размер");
    EXPECT_EQ(CaptionWithoutArrow("Размер"), "Размер");
}

}  // namespace
