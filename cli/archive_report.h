// How kelvara-cli drives the extraction component, the same for every command: the archive and
// entries it names, and the reports it prints.
#pragma once

#include <iosfwd>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "archive/zip_extractor.h"

namespace kelvara::cli {

// "COMMAND [OPTION VALUE]... [--] ARCHIVE [MASK...]": the values of the options, each of which
// takes one, and where ARCHIVE stands.
struct ArchiveArguments {
    std::map<std::string, std::string> values;  // "-p" -> "secret"
    size_t archive = 0;                         // index of ARCHIVE in the arguments

    std::optional<std::string> Value(const std::string& option) const;
};

// Reads the options (those in `options`, each taking a value) up to ARCHIVE; on a usage error
// it writes the message and returns nothing (the command exits 2).
std::optional<ArchiveArguments> ParseArchiveArguments(const std::vector<std::string>& args,
                                                      const std::string& command,
                                                      const std::set<std::string>& options,
                                                      std::ostream& err);

// Points the extractor at ARCHIVE with the masks after it (all entries when there are none)
// and the password of -p, if one was given.
void SelectEntries(archive::TZipExtractor& zip, const std::vector<std::string>& args,
                   const ArchiveArguments& parsed);

// Writes "error <id> <text>: <name>" and a line end; an extra text that the message does not
// take as values follows in parentheses.
void PrintArchiveReport(std::ostream& out, const std::string& name, int id,
                        const std::string& text1, const std::string& extra);

}  // namespace kelvara::cli
