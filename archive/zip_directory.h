// Walking the records of a ZIP archive: central headers one after another, and local headers
// either at a known offset or one after another when the central directory cannot be used.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "archive/archive_input.h"
#include "archive/zip_records.h"

namespace kelvara::archive {

struct CentralRecord {
    CentralHeader header;    // with 64-bit values from the extra field applied
    std::string storedName;  // at most 255 bytes (header.nameLength tells the stored length)
    int64_t offset = 0;
    int64_t end = 0;  // first byte after the name, extra field and comment
};

struct LocalRecord {
    LocalHeader header;
    std::string storedName;
    int64_t offset = 0;
    int64_t dataOffset = 0;  // first byte after the name and the extra field
};

// Bytes [begin, end) of the archive file.
struct ByteRange {
    uint64_t begin = 0;
    uint64_t end = 0;
};

// The bytes an entry's extraction reads: the local header at offset with its name and extra
// field, and compressedSize bytes of data after them. False when there is no local header.
bool ReadEntryRange(const ArchiveInput& input, int64_t offset, uint64_t compressedSize,
                    ByteRange& range);

// True when two of the ranges share a byte. Sorts the ranges (O(n log n)).
bool AnyOverlap(std::vector<ByteRange>& ranges);

// Calls visit for each central header from start on while the signatures hold and visit
// returns true.
void VisitCentralDirectory(const ArchiveInput& input, int64_t start,
                           const std::function<bool(const CentralRecord&)>& visit);

// Reads the local header at offset; false when there is none.
bool ReadLocalRecord(const ArchiveInput& input, int64_t offset, LocalRecord& record);

// Calls visit for each local header from start on, stepping over each entry's data by its
// local compressed size; a spanning marker at the start is skipped.
void VisitLocalHeaders(const ArchiveInput& input, int64_t start,
                       const std::function<bool(const LocalRecord&)>& visit);

}  // namespace kelvara::archive
