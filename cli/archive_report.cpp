#include "cli/archive_report.h"

#include <ostream>

#include "archive/archive_messages.h"

namespace kelvara::cli {

void SelectEntries(archive::TZipExtractor& zip, const std::vector<std::string>& args, size_t first,
                   const std::optional<std::string>& password) {
    zip.SetArchiveFile(args[first]);
    zip.FileSpec.assign(args.begin() + first + 1, args.end());
    if (zip.FileSpec.empty())
        zip.FileSpec.push_back("*.*");
    if (password)
        zip.Passwords.push_back(*password);
}

void PrintArchiveReport(std::ostream& out, const std::string& name, int id,
                        const std::string& text1, const std::string& extra) {
    out << "error " << id << ' ' << archive::FormatMessage(id, text1, extra) << ": " << name;
    if (!extra.empty() && !archive::MessageTakesValues(id))
        out << " (" << extra << ")";
    out << '\n';
}

}  // namespace kelvara::cli
