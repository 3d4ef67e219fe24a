// Reading a widget package's root manifest and icon into memory: nothing is written to disk.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

namespace kelvara::collection {

// A package that the archive component refuses as a whole (overlapping entries), or a root
// file too large to read; what() is the report's text.
class PackageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Largest root "config.xml" read: the manifest reader's own limit.
inline constexpr uint64_t kMaxManifestEntryBytes = uint64_t(16) << 20;
// Largest root "icon.png" read; an icon beyond it is refused before anything is inflated.
inline constexpr uint64_t kMaxIconEntryBytes = uint64_t(64) << 20;

// The bytes of the package's root entry `name` (exactly that name, no folder), or nullopt when
// the package has none (or is no ZIP archive). Data that fails its check is returned as it
// decoded, as extraction would leave it on disk. An entry declared larger than `maxSize`
// throws PackageError; so does a package refused as a whole, with the report's text.
std::optional<std::string> ReadRootEntry(const std::string& packagePath, const std::string& name,
                                         uint64_t maxSize, const std::function<void()>& pump);

}  // namespace kelvara::collection
