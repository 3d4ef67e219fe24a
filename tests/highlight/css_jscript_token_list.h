// Token lists for the style-sheet and JavaScript highlighter tests: a line scanned from a given
// range state into (text, kind) pairs, printable in failure messages.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "highlight/custom_highlighter.h"
#include "platform/code_pages.h"

namespace kelvara::highlight::test {

struct Token {
    std::u16string text;
    int kind;
    bool operator==(const Token&) const = default;
};

inline void PrintTo(const Token& token, std::ostream* out) {
    *out << "{\"" << platform::Utf16ToUtf8(token.text) << "\", " << token.kind << "}";
}

template <typename Kind>
Token Tok(std::u16string text, Kind kind) {
    return Token{std::move(text), static_cast<int>(kind)};
}

// Scans one line starting in `state`; the range state at the end is left in the highlighter.
inline std::vector<Token> ScanLine(TCustomHighlighter& h, std::u16string_view line, int state) {
    h.RestoreRangeState(state);
    std::vector<Token> tokens;
    h.StartLine(line, 0);
    while (!h.LineFinished()) {
        tokens.push_back(Token{h.TokenText(), h.TokenKindCode()});
        h.Advance();
    }
    return tokens;
}

// Scans lines as the text view does and returns the range state stored after each line.
inline std::vector<int> LineStates(TCustomHighlighter& h, const std::vector<std::u16string>& lines,
                                   std::vector<std::vector<Token>>* tokens = nullptr) {
    std::vector<int> states;
    if (tokens) {
        tokens->assign(lines.size(), {});
    }
    ScanLines(
        h, lines,
        [&](int line) {
            if (tokens) {
                (*tokens)[static_cast<size_t>(line)].push_back(
                    Token{h.TokenText(), h.TokenKindCode()});
            }
        },
        [&](int, int state) { states.push_back(state); });
    return states;
}

}  // namespace kelvara::highlight::test
