// How kelvara-cli drives the extraction component, the same for every command: the archive and
// entries it names, and the reports it prints.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "archive/zip_extractor.h"

namespace kelvara::cli {

// Points the extractor at args[first] with the masks after it (all entries when there are none)
// and the password, if one was given.
void SelectEntries(archive::TZipExtractor& zip, const std::vector<std::string>& args, size_t first,
                   const std::optional<std::string>& password);

// Writes "error <id> <text>: <name>" and a line end; an extra text that the message does not
// take as values follows in parentheses.
void PrintArchiveReport(std::ostream& out, const std::string& name, int id,
                        const std::string& text1, const std::string& extra);

}  // namespace kelvara::cli
