#include <QCoreApplication>
#include <iostream>

#include "cli/commands.h"

int main(int argc, char** argv) {
    // The arguments are taken before Qt sees them, so that none is consumed as a Qt option.
    kelvara::cli::Args args(argv + 1, argv + argc);
    // Only QtCore is needed (locale texts and collation); no GUI platform is started, so
    // nothing but the tool's own messages reaches stderr.
    QCoreApplication app(argc, argv);
    return kelvara::cli::Run(args, std::cout, std::cerr);
}
