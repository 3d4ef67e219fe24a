#include "textview/code_paint_runs.h"

#include <algorithm>

#include "textview/code_text_layout.h"

namespace kelvara::textview {

using highlight::kColorNone;
using highlight::kStyleUnderline;

TLineRunBuilder::TLineRunBuilder(const LinePaintSetup& setup) : setup_(setup) {
    const int visibleEnd = std::min(setup_.endColumn, static_cast<int>(setup_.display.size()));
    rowSelected_ = setup_.selectionStart < setup_.selectionEnd &&
                   setup_.selectionStart <= setup_.firstColumn &&
                   setup_.selectionEnd >= visibleEnd && visibleEnd > setup_.firstColumn;
}

bool TLineRunBuilder::IsBlank(int start, int end) const {
    for (int i = start; i < end; ++i) {
        const char16_t c = setup_.display[i];
        if (c != u' ' && c != kFillerChar)
            return false;
    }
    return true;
}

void TLineRunBuilder::AddToken(int start, int length, const TokenLook* look) {
    int end = std::min(start + length, static_cast<int>(setup_.display.size()));
    start = std::max(start, setup_.firstColumn);
    end = std::min(end, setup_.endColumn);
    if (start >= end)
        return;

    TokenLook resolved = setup_.lineLook;
    if (look) {
        if (look->background != kColorNone)
            resolved.background = look->background;
        if (look->foreground != kColorNone)
            resolved.foreground = look->foreground;
        resolved.style = look->style;
    }
    TokenLook selected = setup_.selectedLook;
    selected.style = resolved.style;

    // Up to three pieces: before, inside and after the selection.
    const int selStart = std::clamp(setup_.selectionStart, start, end);
    const int selEnd = std::clamp(setup_.selectionEnd, selStart, end);
    if (start < selStart)
        AddPiece(start, selStart, resolved);
    if (selStart < selEnd)
        AddPiece(selStart, selEnd, selected);
    if (selEnd < end)
        AddPiece(selEnd, end, resolved);
}

void TLineRunBuilder::AddPiece(int start, int end, const TokenLook& look) {
    if (pending_) {
        const bool blank = IsBlank(start, end);
        const int styleDifference = look.style ^ run_.look.style;
        const bool styleFits =
            styleDifference == 0 || (blank && !(styleDifference & kStyleUnderline));
        const bool coloursFit =
            rowSelected_ || (look.background == run_.look.background &&
                             (look.foreground == run_.look.foreground || blank));
        if (styleFits && coloursFit && run_.column + run_.length == start) {
            run_.length += end - start;
            return;
        }
        runs_.push_back(run_);
    }
    run_ = PaintRun{start, end - start, look};
    pending_ = true;
}

std::vector<PaintRun> TLineRunBuilder::Finish() {
    if (pending_)
        runs_.push_back(run_);
    pending_ = false;
    return std::move(runs_);
}

}  // namespace kelvara::textview
