// File masks with "*" and "?", compared without regard to ASCII letter case.
#pragma once

#include <string_view>

namespace kelvara::archive {

// True when the whole subject matches the mask. "*" stands for any run of characters (several
// in a row count as one), "?" for any one character except directly after a "*", where it is
// dropped. A mask ending in "." matches a subject without "." as if the subject ended in ".".
// Any number of "*" groups is handled: backtracking only ever needs the latest one.
bool MatchesMask(std::string_view mask, std::string_view subject);

}  // namespace kelvara::archive
