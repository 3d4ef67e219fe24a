#include <ostream>

#include "cli/commands.h"
#include "collection/collection_scan.h"
#include "collection/widget_name.h"

namespace kelvara::cli {

int CmdScan(const Args& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1)
        return UsageError(err, "scan", "usage: kelvara-cli scan FOLDER");
    std::string folder = args[0];
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    // Without a window to keep alive, manifests are read on every processor at once.
    collection::ScanResult result = collection::ScanCollection(
        folder, [](const std::string& path) { return collection::ReadWidgetName(path); },
        collection::ScanThreads());
    for (const collection::WidgetRow& row : result.rows)
        out << row.caption << '\t' << row.widgetName << '\t' << row.sizeText << '\t' << row.dateText
            << '\n';
    if (!result.firstError.empty()) {
        err << collection::ScanErrorText(result) << '\n';
        return 1;
    }
    return 0;
}

}  // namespace kelvara::cli
