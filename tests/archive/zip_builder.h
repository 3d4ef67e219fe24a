// Builds small ZIP archives byte by byte, with every header field open to tampering.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kelvara::test {

uint32_t Crc32Of(const std::string& data);

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

}  // namespace kelvara::test
