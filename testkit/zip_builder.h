// Builds small ZIP archives byte by byte, with every header field open to tampering, and plain
// stored archives for tests that only need some files in a package.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "testkit/bytes.h"

namespace kelvara::test {

struct ZipEntrySpec {
    std::string name;
    std::string data;  // the bytes stored after the local header
    uint16_t method = 0;
    uint16_t flags = 0;
    uint32_t crc = 0;
    bool computeCrc = true;  // crc of data (stored entries) unless false
    uint32_t uncompressedSize = 0;
    bool sizeFromData = true;
    uint32_t dosDateTime = (45u << 25) | (6u << 21) | (15u << 16) | (12u << 11) | (30u << 5);
    uint32_t externalAttributes = 32;
    uint16_t versionMadeBy = 20;  // host 0 (MS-DOS)
    uint16_t versionNeeded = 20;  // in the local and the central header
    std::string localName;        // defaults to name
    int64_t localOffsetOverride = -1;
};

struct ZipSpec {
    std::vector<ZipEntrySpec> entries;
    std::string prefix;  // bytes before the first local header (not counted in offsets)
    std::string comment;
    int entryCountOverride = -1;
};

std::string BuildZip(const ZipSpec& spec);
// An archive of these entries with nothing else changed.
std::string BuildZipOf(std::vector<ZipEntrySpec> entries);

// A stored (uncompressed) archive. Each pair is (entry name, content); names ending in "/"
// become folder entries.
std::string MakeStoredZip(const std::vector<std::pair<std::string, std::string>>& entries);

// Raw Deflate data (method 8, no zlib header) of `data` compressed with zlib at `level`.
std::string RawDeflate(const std::string& data, int level = 6);

// Writes MakeStoredZip(entries) to `path`.
void WriteZip(const std::string& path,
              const std::vector<std::pair<std::string, std::string>>& entries);

}  // namespace kelvara::test
