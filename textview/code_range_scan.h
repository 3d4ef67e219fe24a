// Keeping the per-line range states of the line store in step with a highlighter. A line's
// stored state is what the highlighter held at its end; the next line's scan starts from it.
#pragma once

#include <string_view>

#include "textview/code_line_list.h"

namespace kelvara::textview {

// What a rescan needs of a highlighter.
class TRangeScanner {
  public:
    virtual ~TRangeScanner() = default;
    virtual void ClearRangeState() = 0;
    virtual void RestoreRangeState(int state) = 0;
    // Scans the whole line (start the line, advance to its end).
    virtual void ScanLine(std::u16string_view line, int index) = 0;
    virtual int CurrentRangeState() = 0;
};

// Scans every line from the start-of-file state.
void ScanAllRanges(TCodeLineList& lines, TRangeScanner& scanner);

// Scans from line `first` on until a line ends in the state it had stored; returns the index
// after the last line scanned.
int ScanRangesFrom(TCodeLineList& lines, TRangeScanner& scanner, int first);

// After `count` lines were inserted or replaced at `first`: rescans until all of them are
// covered, going on after each early stop.
void ScanChangedRanges(TCodeLineList& lines, TRangeScanner& scanner, int first, int count);

}  // namespace kelvara::textview
