#include "cli/archive_report.h"

#include <ostream>

#include "archive/archive_messages.h"
#include "cli/commands.h"

namespace kelvara::cli {

std::optional<std::string> ArchiveArguments::Value(const std::string& option) const {
    const auto found = values.find(option);
    return found == values.end() ? std::nullopt : std::optional<std::string>(found->second);
}

std::optional<ArchiveArguments> ParseArchiveArguments(const std::vector<std::string>& args,
                                                      const std::string& command,
                                                      const std::set<std::string>& options,
                                                      std::ostream& err) {
    ArchiveArguments parsed;
    size_t i = 0;
    for (; i < args.size() && args[i].size() > 1 && args[i][0] == '-'; ++i) {
        if (args[i] == "--") {
            ++i;
            break;
        }
        if (!options.count(args[i])) {
            UsageError(err, command, "unknown option " + args[i]);
            return std::nullopt;
        }
        if (i + 1 >= args.size()) {
            UsageError(err, command, args[i] + " needs a value");
            return std::nullopt;
        }
        parsed.values[args[i]] = args[i + 1];
        ++i;
    }
    if (i >= args.size()) {
        UsageError(err, command, "missing ARCHIVE");
        return std::nullopt;
    }
    parsed.archive = i;
    return parsed;
}

void SelectEntries(archive::TZipExtractor& zip, const std::vector<std::string>& args,
                   const ArchiveArguments& parsed) {
    zip.SetArchiveFile(args[parsed.archive]);
    zip.FileSpec.assign(args.begin() + static_cast<std::ptrdiff_t>(parsed.archive) + 1, args.end());
    if (zip.FileSpec.empty())
        zip.FileSpec.push_back("*.*");
    if (const std::optional<std::string> password = parsed.Value("-p"))
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
