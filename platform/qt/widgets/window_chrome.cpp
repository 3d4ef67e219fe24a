#include "platform/qt/widgets/window_chrome.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>

// The icon lives in a static library; its resource must be registered explicitly (outside any
// namespace).
static void InitWindowIconResource() {
    Q_INIT_RESOURCE(window_icon);
}

namespace kelvara::platform {

QIcon ApplicationIcon() {
    static const bool registered = (InitWindowIconResource(), true);
    (void)registered;
    return QIcon(QStringLiteral(":/window/kelvara.png"));
}

QFont WindowFont(bool bold) {
    QFont font = QApplication::font();
    font.setPixelSize(11);
    font.setBold(bold);
    return font;
}

QWidget* MakeStatusBar(QWidget* parent, const QRect& geometry, std::initializer_list<int> widths,
                       QLabel** panels) {
    auto* bar = new QWidget(parent);
    bar->setGeometry(geometry);
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    size_t i = 0;
    for (int width : widths) {
        QLabel* panel = new QLabel(bar);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setFont(WindowFont(false));
        const bool last = i + 1 == widths.size();
        if (last) {
            panel->setMinimumWidth(width);
            layout->addWidget(panel, 1);
        } else {
            panel->setFixedWidth(width);
            layout->addWidget(panel);
        }
        panels[i++] = panel;
    }
    return bar;
}

}  // namespace kelvara::platform
