// Character-level helpers shared by the XML and HTML scanners. All of them work on a
// zero-terminated line and never read past its first zero character.
#pragma once

#include <string_view>

namespace kelvara::highlight {

// A zero (the terminator or an embedded one), LF or CR ends every scan that runs "to the line
// end".
inline constexpr bool IsMarkupLineEnd(char16_t c) {
    return c == 0 || c == u'\n' || c == u'\r';
}

// True when the characters at `position` are exactly `text` (ASCII). Stops at the first
// difference, so the terminator bounds the comparison.
inline bool MarkupLooksAt(const char16_t* line, int position, std::string_view text) {
    const char16_t* p = line + position;
    for (char c : text) {
        if (*p != static_cast<unsigned char>(c)) {
            return false;
        }
        ++p;
    }
    return true;
}

// The white-space token that starts at `position` (not a line break): its first character,
// then further codes up to 32 other than NUL, TAB, LF and CR. Returns the position after it.
inline int MarkupBlankRunEnd(const char16_t* line, int position) {
    ++position;
    for (char16_t c = line[position]; c <= 32 && c != 0 && c != u'\t' && c != u'\n' && c != u'\r';
         c = line[position]) {
        ++position;
    }
    return position;
}

// The line-break token at `position` (LF, CR, or CR LF). Returns the position after it.
inline int MarkupLineBreakEnd(const char16_t* line, int position) {
    if (line[position] == u'\r' && line[position + 1] == u'\n') {
        return position + 2;
    }
    return position + 1;
}

inline constexpr bool IsDecimalDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

inline constexpr bool IsHexDigit(char16_t c) {
    return IsDecimalDigit(c) || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
}

// One token of a markup scanner: a step that only switches the state consumes nothing, so it
// is run again and the token is the one the next step finds. Should a step ever leave both
// position and state alone, one character is taken as `textKind`, so every line finishes.
template <class State, class Kind, class Step>
void ScanUntilConsumed(int& tokenPos, int& run, int lineLength, const State& range, Kind& kind,
                       Kind textKind, Step&& step) {
    for (;;) {
        tokenPos = run;
        const State before = range;
        step();
        if (run != tokenPos || run > lineLength)
            return;
        if (range == before) {
            kind = textKind;
            ++run;
            return;
        }
    }
}

}  // namespace kelvara::highlight
