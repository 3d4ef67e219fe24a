// Ordering of the collection list by a clicked column.
#pragma once

#include <string>

#include "collection/collection_scan.h"

namespace kelvara::collection {

// SortColumn is the clicked column's index minus 1: -1 caption, 0 widget name, 1 size,
// 2 date text. SortAscending false orders from the greatest key to the smallest.
struct SortState {
    int sortColumn = 0;
    bool sortAscending = false;
};

// The caption suffixes that show the direction in the clicked column.
inline constexpr const char* kArrowAscending = "   \\/";
inline constexpr const char* kArrowDescending = "   /\\";

// A click on column k (0 to 3): the direction flips when the same column is clicked again and
// carries over to a new column.
void ApplyColumnClick(SortState& state, int column);

// -1, 0 or 1 as the two rows stand in the order of `state`. Texts compare byte-wise (UTF-8),
// sizes as 64-bit numbers.
int CompareRows(const WidgetRow& row1, const WidgetRow& row2, const SortState& state);

// A column caption without its direction suffix (a caption holding "/" loses its last 5
// characters), and with the suffix for `state` added.
std::string CaptionWithoutArrow(const std::string& caption);
std::string CaptionWithArrow(const std::string& caption, const SortState& state);

}  // namespace kelvara::collection
