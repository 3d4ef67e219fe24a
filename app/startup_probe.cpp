#include "app/startup_probe.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace kelvara::app {
namespace {

class FirstPaintWatch : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            // The zero timer fires once the paint has been finished and put on the screen.
            QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    bool seen_ = false;
};

}  // namespace

void QuitAfterFirstPaintWhenAsked(QWidget& window) {
    if (qEnvironmentVariable("KELVARA_EXIT_WHEN_SHOWN") != QLatin1String("1"))
        return;
    window.installEventFilter(new FirstPaintWatch(&window));
}

}  // namespace kelvara::app
