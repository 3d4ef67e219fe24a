// Cutting a keyword list (keywords separated by any characters that are not word characters,
// e.g. commas) into keywords.
#pragma once

#include <functional>
#include <string_view>

namespace kelvara::highlight {

using KeywordCallback = std::function<void(std::u16string_view keyword, int kind)>;
using WordCharTest = std::function<bool(char16_t c)>;

// Calls `callback` with each run of characters that pass `isWordChar`, and `kind`. Does
// nothing without a callback or a word test. The walk ends at the end of the list or at a
// zero character.
void ForEachKeyword(int kind, std::u16string_view list, const WordCharTest& isWordChar,
                    const KeywordCallback& callback);

}  // namespace kelvara::highlight
