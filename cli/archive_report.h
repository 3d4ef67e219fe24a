// How kelvara-cli prints a report of the extraction component, the same for every command.
#pragma once

#include <iosfwd>
#include <string>

namespace kelvara::cli {

// Writes "error <id> <text>: <name>" and a line end; an extra text that the message does not
// take as values follows in parentheses.
void PrintArchiveReport(std::ostream& out, const std::string& name, int id,
                        const std::string& text1, const std::string& extra);

}  // namespace kelvara::cli
