#include "textview/code_range_scan.h"

namespace kelvara::textview {

void ScanAllRanges(TCodeLineList& lines, TRangeScanner& scanner) {
    if (lines.Empty())
        return;
    scanner.ClearRangeState();
    for (int i = 0; i < lines.Count(); ++i) {
        scanner.ScanLine(lines.Line(i), i);
        lines.SetRangeState(i, scanner.CurrentRangeState());
    }
}

int ScanRangesFrom(TCodeLineList& lines, TRangeScanner& scanner, int first) {
    if (first < 0)
        first = 0;
    if (first >= lines.Count())
        return lines.Count();
    if (first == 0)
        scanner.ClearRangeState();
    else
        scanner.RestoreRangeState(lines.RangeState(first - 1));
    int i = first;
    for (; i < lines.Count(); ++i) {
        scanner.ScanLine(lines.Line(i), i);
        const int state = scanner.CurrentRangeState();
        if (state == lines.RangeState(i))
            return i + 1;
        lines.SetRangeState(i, state);
    }
    return i;
}

void ScanChangedRanges(TCodeLineList& lines, TRangeScanner& scanner, int first, int count) {
    const int end = first + count;
    int next = first;
    while (next < end && next < lines.Count())
        next = ScanRangesFrom(lines, scanner, next);
}

}  // namespace kelvara::textview
