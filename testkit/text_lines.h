// Text as the highlighters and the text view take it: UTF-16 lines split at LF.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kelvara::test {

// ASCII text as UTF-16, one code unit per byte.
std::u16string Widen(std::string_view ascii);

// Splits text at LF into lines; the line break is not part of a line, so "a\n" gives "a" and ""
// and the empty text one empty line.
std::vector<std::u16string> SplitLines(std::u16string_view text);
// The same for ASCII text, widened.
std::vector<std::u16string> SplitLines(std::string_view ascii);

}  // namespace kelvara::test
