// A probe for start-up benchmarks: with KELVARA_EXIT_WHEN_SHOWN=1 in the environment, the
// program ends (exit code 0, printing nothing) right after the main window's first paint, so
// the time of a whole run is the time until the window was shown.
#pragma once

class QWidget;

namespace kelvara::app {

// Does nothing unless KELVARA_EXIT_WHEN_SHOWN is set to 1. Call before the window is shown.
void QuitAfterFirstPaintWhenAsked(QWidget& window);

}  // namespace kelvara::app
