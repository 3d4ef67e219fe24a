// Texts that follow the system locale: the list's date column and caption collation.
#pragma once

#include <cstddef>
#include <ctime>
#include <string>
#include <vector>

namespace kelvara::platform {

// The modification-time text of the collection list: local time at packed-date resolution
// (an odd second becomes the even one below), short date format, one blank and the long time
// format without the time zone; just the date when the time of day is 00:00:00.
std::string DateText(time_t modified);

// Locale-aware comparison of two UTF-8 texts (negative, 0, positive).
int CollateCompare(const std::string& a, const std::string& b);

// The positions of `texts` in CollateCompare order, equal texts by their bytes: what sorting
// them with those two comparisons gives, with one collation key per text instead of a
// collation per comparison.
std::vector<size_t> CollationOrder(const std::vector<std::string>& texts);

}  // namespace kelvara::platform
