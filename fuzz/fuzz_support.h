// Shared pieces of the fuzz targets: a private temporary folder and whole-file writes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kelvara::fuzz {

// A folder created once per process below $TMPDIR (or /tmp).
const std::string& WorkFolder();
void WriteBytes(const std::string& path, const uint8_t* data, size_t size);
// Removes everything below `folder` (the folder itself stays).
void EmptyFolder(const std::string& folder);

}  // namespace kelvara::fuzz
