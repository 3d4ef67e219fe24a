#include <ostream>

#include "cli/commands.h"

namespace kelvara::cli {
namespace {

struct Command {
    const char* name;
    int (*run)(const Args&, std::ostream&, std::ostream&);
    const char* usage;
};

constexpr Command kCommands[] = {
    {"scan", CmdScan,
     "scan FOLDER                      list the widget rows of a collection folder"},
    {"list", CmdList, "list ARCHIVE                     list the entries of an archive"},
    {"unzip", CmdUnzip, "unzip [-o DIR] [-p PASSWORD] ARCHIVE [MASK...]   extract entries"},
    {"test", CmdTest,
     "test [-p PASSWORD] ARCHIVE [MASK...]   decode entries and check their CRC-32"},
    {"png", CmdPng, "png FILE OUT.ppm                 draw a PNG over white into a PPM file"},
    {"manifest", CmdManifest,
     "manifest PACKAGE                 print a package's manifest details"},
    {"tokens", CmdTokens,
     "tokens [--count] LANGUAGE FILE   print the highlighter tokens of a file"},
    {"package", CmdPackage, "package COLLECTION TARGET NAME...  build an installation package"},
};

void PrintHelp(std::ostream& out) {
    out << "usage: kelvara-cli COMMAND [ARGS...]\n"
           "       kelvara-cli --help | --version\n\ncommands:\n";
    for (const Command& c : kCommands)
        out << "  " << c.usage << "\n";
    out << "\nexit codes: 0 success, 1 failure, 2 usage error. See kelvara-cli(1).\n";
}

}  // namespace

int UsageError(std::ostream& err, const std::string& command, const std::string& message) {
    err << "kelvara-cli " << command << ": " << message << "\n";
    return 2;
}

int Run(const Args& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        err << "kelvara-cli: missing command (try --help)\n";
        return 2;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        PrintHelp(out);
        return 0;
    }
    if (args[0] == "--version") {
        out << "kelvara-cli " << KELVARA_VERSION << "\n";
        return 0;
    }
    for (const Command& c : kCommands) {
        if (args[0] == c.name)
            return c.run(Args(args.begin() + 1, args.end()), out, err);
    }
    err << "kelvara-cli: unknown command \"" << args[0] << "\" (try --help)\n";
    return 2;
}

}  // namespace kelvara::cli
