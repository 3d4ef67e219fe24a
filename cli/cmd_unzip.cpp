#include <ostream>

#include "archive/zip_extractor.h"
#include "cli/archive_report.h"
#include "cli/commands.h"

namespace kelvara::cli {

// unzip [-o DIR] [-p PASSWORD] ARCHIVE [MASK...]: extracts the selected entries, prints every
// report and every failed CRC check, and ends with the count.
int CmdUnzip(const Args& args, std::ostream& out, std::ostream& err) {
    std::string folder = ".";
    std::optional<std::string> password;
    size_t i = 0;
    for (; i < args.size() && args[i].size() > 1 && args[i][0] == '-'; ++i) {
        if (args[i] == "--") {
            ++i;
            break;
        }
        if (args[i] != "-o" && args[i] != "-p") {
            return UsageError(err, "unzip", "unknown option " + args[i]);
        }
        if (i + 1 >= args.size())
            return UsageError(err, "unzip", args[i] + " needs a value");
        if (args[i] == "-o") {
            folder = args[++i];
        } else {
            password = args[++i];
        }
    }
    if (i >= args.size())
        return UsageError(err, "unzip", "missing ARCHIVE");

    archive::TZipExtractor zip;
    SelectEntries(zip, args, i, password);
    zip.SetExtractDir(folder);

    bool failed = false;
    zip.OnError = [&](archive::TArchiveCommon&, const std::string& name, int id,
                      const std::string& text1, const std::string& extra) {
        PrintArchiveReport(err, name, id, text1, extra);
        failed = true;
    };
    zip.OnEnd = [&](archive::TArchiveCommon&, const std::string& path, bool passed) {
        if (passed)
            return;
        out << "crc-fail " << path << '\n';
        failed = true;
    };
    if (!zip.ArchiveFile().empty() && !archive::IsZipType(zip.ArcType())) {
        err << "kelvara-cli unzip: " << zip.ArchiveFile() << ": not a ZIP archive\n";
        failed = true;
    }
    const int count = zip.Extract();
    out << "extracted " << count << '\n';
    return failed ? 1 : 0;
}

}  // namespace kelvara::cli
