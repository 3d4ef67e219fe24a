// Simple (one character to one character) Unicode case mapping of UTF-16 code units, used for
// the lower-case copy of lines in case-insensitive highlighters and for case-blind keyword
// comparison.
//
// The mapping is that of the C library's towlower/towupper in a UTF-8 "C" locale, read once into
// two tables covering the Basic Multilingual Plane, so it does not depend on the process's
// current locale and costs one table look-up per character. Surrogate code units, and
// characters whose mapping would leave the plane, stay unchanged. Without such a locale only
// ASCII letters are mapped.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kelvara::highlight {

char16_t LowerCaseChar(char16_t c);
char16_t UpperCaseChar(char16_t c);

// Writes the lower-case form of `count` characters from `source` to `target` (may be equal).
void LowerCaseCopy(const char16_t* source, std::size_t count, char16_t* target);
std::u16string LowerCased(std::u16string_view text);
std::u16string UpperCased(std::u16string_view text);

// Equality with letter case ignored (both sides lower-cased character by character).
bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b);

}  // namespace kelvara::highlight
