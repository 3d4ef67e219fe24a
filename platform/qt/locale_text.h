// Texts that follow the system locale: the list's date column and caption collation.
#pragma once

#include <ctime>
#include <string>

namespace kelvara::platform {

// The modification-time text of the collection list: local time at packed-date resolution
// (an odd second becomes the even one below), short date format, one blank and the long time
// format without the time zone; just the date when the time of day is 00:00:00.
std::string DateText(time_t modified);

// Locale-aware comparison of two UTF-8 texts (negative, 0, positive).
int CollateCompare(const std::string& a, const std::string& b);

}  // namespace kelvara::platform
