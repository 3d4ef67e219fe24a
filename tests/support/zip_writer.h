// Builds small stored (uncompressed) ZIP archives in memory for tests.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace kelvara::test {

// Each pair is (entry name, content); names ending in "/" become folder entries.
std::string MakeStoredZip(const std::vector<std::pair<std::string, std::string>>& entries);

// Writes MakeStoredZip(entries) to `path`.
void WriteZip(const std::string& path,
              const std::vector<std::pair<std::string, std::string>>& entries);

}  // namespace kelvara::test
