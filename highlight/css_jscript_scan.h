// Scanning steps the style-sheet and JavaScript highlighters share. They work on the
// zero-terminated line buffer of TCustomHighlighter and return the position after the scanned
// text; inline so that the per-character loops stay tight.
#pragma once

namespace kelvara::highlight {

// At or beyond the line end, or on LF or CR (TCustomHighlighter::AtLineBreak without the
// virtual call).
inline bool IsLineBreakAt(const char16_t* line, int length, int position) {
    if (position >= length) {
        return true;
    }
    const char16_t c = line[position];
    return c == u'\n' || c == u'\r';
}

// The white-space token at `position` (a code from 1 to 32): LF alone, CR with an LF that
// follows, or a run of blanks up to the next line break.
inline int BlankRunEnd(const char16_t* line, int length, int position) {
    const char16_t c = line[position];
    if (c == u'\n') {
        return position + 1;
    }
    if (c == u'\r') {
        return line[position + 1] == u'\n' ? position + 2 : position + 1;
    }
    ++position;
    while (line[position] <= 32 && !IsLineBreakAt(line, length, position)) {
        ++position;
    }
    return position;
}

// The rest of a block comment from `position`, which holds a character of the line: looks for
// "*/" there and at each following position. Returns the position after "*/" with `closed`
// set, or the line break that came first. Always moves at least one character, so a CR or LF
// inside the line cannot stall the scan.
inline int CommentBodyEnd(const char16_t* line, int length, int position, bool& closed) {
    for (;;) {
        if (line[position] == u'*' && line[position + 1] == u'/') {
            closed = true;
            return position + 2;
        }
        ++position;
        if (IsLineBreakAt(line, length, position)) {
            closed = false;
            return position;
        }
    }
}

}  // namespace kelvara::highlight
