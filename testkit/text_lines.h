// Text as the highlighters and the text view take it: UTF-16 lines split at LF, and random
// lines for robustness tests.
#pragma once

#include <cstddef>
#include <random>
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

// A line of 0 to maxLength characters drawn from `alphabet`: the length first, then each
// character, all from `random`.
std::u16string RandomLine(std::mt19937& random, std::u16string_view alphabet,
                          size_t maxLength = 40);

}  // namespace kelvara::test
