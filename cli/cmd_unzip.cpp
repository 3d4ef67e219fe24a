#include <ostream>

#include "archive/zip_extractor.h"
#include "cli/archive_report.h"
#include "cli/commands.h"

namespace kelvara::cli {

// unzip [-o DIR] [-p PASSWORD] ARCHIVE [MASK...]: extracts the selected entries, prints every
// report and every failed CRC check, and ends with the count.
int CmdUnzip(const Args& args, std::ostream& out, std::ostream& err) {
    const std::optional<ArchiveArguments> parsed =
        ParseArchiveArguments(args, "unzip", {"-o", "-p"}, err);
    if (!parsed)
        return 2;

    archive::TZipExtractor zip;
    SelectEntries(zip, args, *parsed);
    zip.SetExtractDir(parsed->Value("-o").value_or("."));

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
