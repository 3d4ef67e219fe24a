// Scroll bar figures of the text view and the mouse wheel's line count. Bars take 16-bit
// positions, so a range above 32767 is mapped proportionally onto 0 .. 32767.
#pragma once

namespace kelvara::textview {

inline constexpr int kScrollBarLimit = 32767;

// One bar: positions 1 .. range (lines or columns), `page` of them visible, `position` first.
struct ScrollBarFigures {
    int maximum = 1;  // the range's end as the bar holds it
    int page = 1;
    int position = 1;  // as the bar holds it
    bool scaled = false;
};

ScrollBarFigures ComputeScrollBar(int range, int page, int position);
// The first visible line or column for a bar position; undoes the scaling.
int PositionFromBar(int barPosition, int range);

// Wheel deltas come in units of 120 per notch; what is left over carries to the next event.
class TWheelAccumulator {
  public:
    static constexpr int kUnitsPerNotch = 120;
    static constexpr int kLinesPerNotch = 3;

    // Whole notches in the delta plus the carried remainder; positive means away from the user
    // (towards the top of the text).
    int TakeNotches(int delta);
    void Reset() { remainder_ = 0; }

  private:
    int remainder_ = 0;
};

}  // namespace kelvara::textview
