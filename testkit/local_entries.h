// The entries of a ZIP file read by walking its local headers from the start, without the
// central directory: the way tests and benchmarks pick raw entry data out of sample archives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "testkit/bytes.h"

namespace kelvara::test {

struct LocalEntry {
    std::string name;
    uint16_t flags = 0;
    uint16_t method = 0;
    uint16_t dosTime = 0;
    uint32_t crc = 0;
    uint64_t compressedSize = 0;
    uint64_t uncompressedSize = 0;
    std::string data;       // the entry's stored bytes (encryption header included)
    size_t dataOffset = 0;  // where they start in the archive
};

// Every entry up to the first bytes that are not a local header. The sizes must be in the
// local headers: the walk stops after an entry streamed with a data descriptor, whose data
// comes out empty (dataOffset still tells where it starts).
std::vector<LocalEntry> LocalEntries(const std::string& zip);

}  // namespace kelvara::test
