#include <gtest/gtest.h>

#include <QIcon>
#include <QImage>

#include "../app/fake_dialogs.h"
#include "app/main_window.h"
#include "platform/qt/widgets/window_chrome.h"
#include "viewer/viewer_window.h"

namespace kelvara::test {
namespace {

QImage Drawn(const QIcon& icon) {
    return icon.pixmap(QSize(32, 32)).toImage().convertToFormat(QImage::Format_ARGB32);
}

// The viewer is built on its own here, before any main window registers resources.
TEST(WindowIcon, BothWindowsShowTheApplicationIcon) {
    viewer::TForm2 viewer;
    const QImage viewerIcon = Drawn(viewer.windowIcon());
    ASSERT_FALSE(viewerIcon.isNull());
    EXPECT_EQ(viewerIcon.size(), QSize(32, 32));
    DialogLog log;
    app::TForm1 main(std::make_unique<FakeDialogs>(log));
    EXPECT_EQ(Drawn(main.windowIcon()), viewerIcon);
    EXPECT_EQ(Drawn(platform::ApplicationIcon()), viewerIcon);
}

}  // namespace
}  // namespace kelvara::test
