// Creating a highlighter by the short language name the viewer and the command-line tool use.
#pragma once

#include <memory>
#include <span>
#include <string_view>

#include "highlight/custom_highlighter.h"

namespace kelvara::highlight {

// "xml", "html", "css", "js".
std::span<const std::string_view> HighlighterLanguages();

// A new highlighter for the language, or nullptr for an unknown (or not yet available) one.
std::unique_ptr<TCustomHighlighter> CreateHighlighter(std::string_view language);

}  // namespace kelvara::highlight
