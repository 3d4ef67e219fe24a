// Program start: the main window, then the viewer window (hidden), then the event loop.
#include <QApplication>

#include "app/main_window.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    kelvara::app::TForm1 form1;
    form1.FormCreate();
    form1.show();
    return app.exec();
}
