#include "textview/code_scroll_metrics.h"

#include <algorithm>

namespace kelvara::textview {
namespace {

int Scale(long long value, long long range) {
    return static_cast<int>(value * kScrollBarLimit / range);
}

}  // namespace

ScrollBarFigures ComputeScrollBar(int range, int page, int position) {
    range = std::max(range, 1);
    page = std::clamp(page, 0, range);
    position = std::clamp(position, 1, range);
    ScrollBarFigures bar{range, page, position, false};
    if (range > kScrollBarLimit) {
        bar.maximum = kScrollBarLimit;
        bar.page = Scale(page, range);
        bar.position = Scale(position, range);
        bar.scaled = true;
    }
    return bar;
}

int PositionFromBar(int barPosition, int range) {
    if (range <= kScrollBarLimit)
        return barPosition;
    return static_cast<int>(static_cast<long long>(barPosition) * range / kScrollBarLimit);
}

int TWheelAccumulator::TakeNotches(int delta) {
    remainder_ += delta;
    const int notches = remainder_ / kUnitsPerNotch;  // truncates towards zero
    remainder_ -= notches * kUnitsPerNotch;
    return notches;
}

}  // namespace kelvara::textview
