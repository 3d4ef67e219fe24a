#include "highlight/highlighter_registry.h"

#include <array>

// Each language's header joins in as soon as it exists.
#if __has_include("highlight/xml_highlighter.h")
#include "highlight/xml_highlighter.h"
#endif
#if __has_include("highlight/html_highlighter.h")
#include "highlight/html_highlighter.h"
#endif
#if __has_include("highlight/css_highlighter.h")
#include "highlight/css_highlighter.h"
#endif
#if __has_include("highlight/jscript_highlighter.h")
#include "highlight/jscript_highlighter.h"
#endif

namespace kelvara::highlight {
namespace {

constexpr std::array<std::string_view, 4> kLanguages = {"xml", "html", "css", "js"};

}  // namespace

std::span<const std::string_view> HighlighterLanguages() {
    return kLanguages;
}

std::unique_ptr<TCustomHighlighter> CreateHighlighter(std::string_view language) {
    // One line per language; each returns its highlighter once that class is written.
    // clang-format off
    if (language == "xml") return std::make_unique<TXmlHighlighter>();
    if (language == "html") return std::make_unique<THtmlHighlighter>();
    if (language == "css") return std::make_unique<TCssHighlighter>();
    if (language == "js") return std::make_unique<TJScriptHighlighter>();
    // clang-format on
    return nullptr;
}

}  // namespace kelvara::highlight
