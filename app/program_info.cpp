#include "app/program_info.h"

#include <ostream>
#include <string_view>

namespace kelvara::app {

const char* const kApplicationId = KELVARA_APP_ID;

namespace {

constexpr const char* kHelp =
    "usage: kelvara [--help | --version] [QT-OPTION...] [--] [FILE.wgt...]\n"
    "\n"
    "Keeps a collection of widget packages (.wgt files) in \"My Widgets\" in the documents\n"
    "folder: lists, sorts and checks them, adds, deletes and bundles them into an\n"
    "installation package, and previews the files of one package in a viewer window.\n"
    "Files named on the command line (or dropped onto the list) are added to the\n"
    "collection as the add button does, and the first of them is selected.\n"
    "\n"
    "options:\n"
    "  -h, --help     print this help and exit\n"
    "  --version      print the version and exit\n"
    "\n"
    "Qt takes its own options (for example -platform NAME); any other argument that\n"
    "starts with \"-\" before a \"--\" is a usage error (exit code 2). See kelvara(1)\n"
    "and kelvara-cli(1).\n";

}  // namespace

std::optional<int> AnswerInformationOption(int argc, char** argv, std::ostream& out) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--")
            break;
        if (arg == "--help" || arg == "-h")
            out << kHelp;
        else if (arg == "--version")
            out << "kelvara " << KELVARA_VERSION << "\n";
        else
            continue;
        out.flush();
        return out ? 0 : 1;
    }
    return std::nullopt;
}

}  // namespace kelvara::app
