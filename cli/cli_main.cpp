#include <QGuiApplication>
#include <cstdlib>
#include <iostream>

#include "cli/commands.h"

int main(int argc, char** argv) {
    // Drawing uses Qt's raster engine; no window is ever shown.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    kelvara::cli::Args args(argv + 1, argv + argc);
    return kelvara::cli::Run(args, std::cout, std::cerr);
}
