#include <cstdio>
#include <ostream>

#include "archive/zip_extractor.h"
#include "cli/commands.h"

namespace kelvara::cli {

// list ARCHIVE: method, compressed size, size, CRC-32 and name of each entry, tab-separated.
int CmdList(const Args& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1)
        return UsageError(err, "list", "expected one ARCHIVE");
    archive::TZipExtractor zip;
    zip.SetArchiveFile(args[0]);
    if (zip.ArchiveFile().empty()) {
        err << "kelvara-cli list: " << args[0] << ": file not found\n";
        return 1;
    }
    if (!archive::IsZipType(zip.ArcType())) {
        err << "kelvara-cli list: " << args[0] << ": not a ZIP archive\n";
        return 1;
    }
    for (const archive::TZipEntryInfo& e : zip.List()) {
        char crc[9];
        std::snprintf(crc, sizeof crc, "%08x", e.crc);
        out << e.method << '\t' << e.compressedSize << '\t' << e.uncompressedSize << '\t' << crc
            << '\t' << e.name << '\n';
    }
    return 0;
}

}  // namespace kelvara::cli
