// The named character entities the HTML highlighter recognises in text.
#pragma once

#include <array>
#include <string_view>

namespace kelvara::highlight {

inline constexpr int kHtmlEntityCount = 249;

// Each written with its "&" and ";". Lines are matched lower-cased, so the capitalised entries
// never match; each has a lower-case twin that does.
const std::array<std::string_view, kHtmlEntityCount>& HtmlEntities();

// Index of the first entry (in table order) written at `text`, which points into a
// zero-terminated line, or -1. Reads no further than the first difference.
int FindHtmlEntity(const char16_t* text);

}  // namespace kelvara::highlight
