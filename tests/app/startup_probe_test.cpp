#include "app/startup_probe.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <QWidget>

namespace kelvara::test {
namespace {

TEST(StartupProbe, EndsTheLoopAfterTheFirstPaintOnlyWhenAsked) {
    {
        qunsetenv("KELVARA_EXIT_WHEN_SHOWN");
        QWidget window;
        const auto before = window.children().size();
        app::QuitAfterFirstPaintWhenAsked(window);
        EXPECT_EQ(window.children().size(), before);
    }
    qputenv("KELVARA_EXIT_WHEN_SHOWN", "1");
    QWidget window;
    window.resize(200, 100);
    app::QuitAfterFirstPaintWhenAsked(window);
    qunsetenv("KELVARA_EXIT_WHEN_SHOWN");
    window.show();
    // A loop the probe never ends fails here instead of hanging.
    QTimer::singleShot(60000, [] { QCoreApplication::exit(1); });
    EXPECT_EQ(QCoreApplication::exec(), 0);
}

}  // namespace
}  // namespace kelvara::test
