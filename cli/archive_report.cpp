#include "cli/archive_report.h"

#include <ostream>

#include "archive/archive_messages.h"

namespace kelvara::cli {

void PrintArchiveReport(std::ostream& out, const std::string& name, int id,
                        const std::string& text1, const std::string& extra) {
    out << "error " << id << ' ' << archive::FormatMessage(id, text1, extra) << ": " << name;
    if (!extra.empty() && !archive::MessageTakesValues(id))
        out << " (" << extra << ")";
    out << '\n';
}

}  // namespace kelvara::cli
