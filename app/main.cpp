// Program start: the main window, then the viewer window (hidden), then the event loop.
#include <QApplication>
#include <QLocale>
#include <iostream>

#include "app/main_window.h"
#include "app/program_info.h"
#include "app/ui_language.h"
#include "viewer/viewer_window.h"

int main(int argc, char** argv) {
    // --help and --version are answered before Qt starts: they need no display.
    if (const std::optional<int> code =
            kelvara::app::AnswerInformationOption(argc, argv, std::cout))
        return *code;
    QApplication app(argc, argv);
    // English when the user's languages put it before Russian; Russian otherwise.
    const kelvara::app::UiTranslators translators(kelvara::app::UiLanguageOf(QLocale::system()));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kelvara::app::kApplicationId));
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
