// What every window shares: the controls' font, the status bar of sunken panels and the
// application's icon.
#pragma once

#include <QFont>
#include <QIcon>
#include <QRect>
#include <initializer_list>

class QLabel;
class QWidget;

namespace kelvara::platform {

// The application's font at 11 pixels, bold or not.
QFont WindowFont(bool bold);

// The application's icon, which every window shows in its title bar.
QIcon ApplicationIcon();

// A status bar at `geometry` of `parent` with one sunken panel per width, written into
// `panels`: every panel but the last has its fixed width; the last one has it as its minimum
// and reaches to the right end. Returns the bar.
QWidget* MakeStatusBar(QWidget* parent, const QRect& geometry, std::initializer_list<int> widths,
                       QLabel** panels);

}  // namespace kelvara::platform
