// Token capture for the markup highlighter tests: scans lines the way the text view does and
// records every token (start, kind, text, attribute name) and each line's final range state.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "highlight/custom_highlighter.h"
#include "testkit/text_lines.h"

namespace kelvara::highlight::test {

struct MarkupToken {
    int start;
    int kind;
    std::u16string text;
    std::string attribute;  // Name of the token's attribute, empty for none
    bool operator==(const MarkupToken&) const = default;
};

inline std::string Narrow(const std::u16string& text) {
    std::string out;
    for (char16_t c : text) {
        if (c >= 32 && c < 127) {
            out += static_cast<char>(c);
        } else {
            out += "\\u" + std::to_string(static_cast<int>(c));
        }
    }
    return out;
}

inline void PrintTo(const MarkupToken& t, std::ostream* os) {
    *os << "{" << t.start << ", " << t.kind << ", \"" << Narrow(t.text) << "\", " << t.attribute
        << "}";
}

struct MarkupScan {
    std::vector<std::vector<MarkupToken>> lines;
    std::vector<int> states;
};

inline MarkupScan ScanMarkup(TCustomHighlighter& highlighter,
                             const std::vector<std::u16string>& lines) {
    MarkupScan scan;
    ScanLines(
        highlighter, lines,
        [&](int line) {
            if (static_cast<int>(scan.lines.size()) <= line) {
                scan.lines.resize(static_cast<size_t>(line) + 1);
            }
            const THighlighterAttributes* attribute = highlighter.TokenAttribute();
            scan.lines[static_cast<size_t>(line)].push_back(
                {highlighter.TokenStart(), highlighter.TokenKindCode(), highlighter.TokenText(),
                 attribute ? attribute->Name() : std::string()});
        },
        [&](int line, int state) {
            scan.lines.resize(static_cast<size_t>(line) + 1);
            scan.states.push_back(state);
        });
    return scan;
}

// Tokens of one line scanned from the start-of-file state.
inline std::vector<MarkupToken> ScanOneLine(TCustomHighlighter& highlighter,
                                            const std::u16string& line) {
    return ScanMarkup(highlighter, {line}).lines.at(0);
}

// Splits text at LF into lines.
using ::kelvara::test::SplitLines;

}  // namespace kelvara::highlight::test
