// Recognising a ZIP archive and locating its central directory (or, failing that, its first
// local header).
#pragma once

#include <cstdint>
#include <string>

#include "archive/archive_input.h"
#include "archive/archive_types.h"

namespace kelvara::archive {

struct ArchiveLayout {
    TArcType type = atNA;
    unsigned char status = 0;      // DirectoryStatus bits; exactly kLocalHeaderFound = local scan
    int64_t startOffset = 0;       // first central header, or first local header for a scan
    int64_t offsetAdjustment = 0;  // added to every stored local header offset
};

// Examines an opened archive; path decides the ".jar" type.
ArchiveLayout RecogniseArchive(const ArchiveInput& input, const std::string& path);

}  // namespace kelvara::archive
