// Program start: the main window, then the viewer window (hidden), then the event loop.
#include <QApplication>

#include "app/main_window.h"
#include "viewer/viewer_window.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    kelvara::app::TForm1 form1;
    form1.FormCreate();
    kelvara::viewer::TForm2 form2;
    form2.centreOver = &form1;
    form1.onView = [&form2](const std::string& archivePath, const std::string& viewerFolder) {
        form2.ViewPackage(archivePath, viewerFolder);
    };
    form1.show();
    return app.exec();
}
