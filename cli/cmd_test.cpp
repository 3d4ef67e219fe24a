#include <ostream>

#include "archive/zip_extractor.h"
#include "cli/archive_report.h"
#include "cli/commands.h"

namespace kelvara::cli {

// test [-p PASSWORD] ARCHIVE [MASK...]: decodes the selected entries and checks their CRC-32
// without writing anything. Each tested entry gives one line on stdout: "ok NAME",
// "crc-fail NAME", or the reports about it as unzip prints them; reports about the archive as a
// whole go to stderr. The last line is "tested N, failed M".
int CmdTest(const Args& args, std::ostream& out, std::ostream& err) {
    const std::optional<ArchiveArguments> parsed = ParseArchiveArguments(args, "test", {"-p"}, err);
    if (!parsed)
        return 2;

    archive::TZipExtractor zip;
    SelectEntries(zip, args, *parsed);

    bool failed = false;
    bool inEntry = false;  // between OnBegin and OnEnd of one entry
    bool entryReported = false;
    int failedEntries = 0;
    zip.OnBegin = [&](archive::TArchiveCommon&, const std::string&, bool&, int) {
        inEntry = true;
        entryReported = false;
    };
    zip.OnError = [&](archive::TArchiveCommon&, const std::string& name, int id,
                      const std::string& text1, const std::string& extra) {
        PrintArchiveReport(inEntry ? out : err, name, id, text1, extra);
        entryReported = entryReported || inEntry;
        failed = true;
    };
    zip.OnEnd = [&](archive::TArchiveCommon&, const std::string& name, bool passed) {
        // An entry that was reported already has its line.
        if (!entryReported)
            out << (passed ? "ok " : "crc-fail ") << name << '\n';
        if (!passed || entryReported) {
            ++failedEntries;
            failed = true;
        }
        inEntry = false;
    };
    if (!zip.ArchiveFile().empty() && !archive::IsZipType(zip.ArcType())) {
        err << "kelvara-cli test: " << zip.ArchiveFile() << ": not a ZIP archive\n";
        failed = true;
    }
    const int tested = zip.Test();
    out << "tested " << tested << ", failed " << failedEntries << '\n';
    return failed ? 1 : 0;
}

}  // namespace kelvara::cli
