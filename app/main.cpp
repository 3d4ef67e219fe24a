// Program start: the main window, then the viewer window (hidden), then the event loop. Files
// named on the command line are added to the collection once the loop runs.
#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QTimer>
#include <iostream>

#include "app/main_window.h"
#include "app/open_packages.h"
#include "app/program_info.h"
#include "app/startup_probe.h"
#include "app/ui_language.h"
#include "platform/qt/widgets/window_chrome.h"
#include "viewer/viewer_window.h"

int main(int argc, char** argv) {
    // --help and --version are answered before Qt starts: they need no display.
    if (const std::optional<int> code =
            kelvara::app::AnswerInformationOption(argc, argv, std::cout))
        return *code;
    QApplication app(argc, argv);
    // What is left after Qt took its own options: package files, or a usage error.
    const kelvara::app::OpenArguments arguments =
        kelvara::app::ParseOpenArguments(QCoreApplication::arguments().mid(1), QDir::currentPath());
    if (!arguments.unknownOption.isEmpty()) {
        std::cerr << kelvara::app::UnknownOptionText(arguments.unknownOption).toStdString();
        return 2;
    }
    // English when the user's languages put it before Russian; Russian otherwise.
    const kelvara::app::UiTranslators translators(kelvara::app::UiLanguageOf(QLocale::system()));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kelvara::app::kApplicationId));
    QApplication::setWindowIcon(kelvara::platform::ApplicationIcon());
    kelvara::app::TForm1 form1;
    form1.FormCreate();
    kelvara::viewer::TForm2 form2;
    form2.centreOver = &form1;
    form1.onView = [&form2](const std::string& archivePath, const std::string& viewerFolder) {
        form2.ViewPackage(archivePath, viewerFolder);
    };
    kelvara::app::QuitAfterFirstPaintWhenAsked(form1);
    form1.show();
    if (!arguments.paths.isEmpty())
        QTimer::singleShot(0, &form1,
                           [&form1, &arguments] { form1.OpenPackages(arguments.paths); });
    return app.exec();
}
