#include "testkit/local_entries.h"

namespace kelvara::test {

std::vector<LocalEntry> LocalEntries(const std::string& zip) {
    std::vector<LocalEntry> entries;
    size_t at = 0;
    while (at + 30 <= zip.size() && Le32(zip, at) == 0x04034b50) {
        LocalEntry e;
        e.flags = static_cast<uint16_t>(Le16(zip, at + 6));
        e.method = static_cast<uint16_t>(Le16(zip, at + 8));
        e.dosTime = static_cast<uint16_t>(Le16(zip, at + 10));
        e.crc = Le32(zip, at + 14);
        e.compressedSize = Le32(zip, at + 18);
        e.uncompressedSize = Le32(zip, at + 22);
        const size_t nameLength = Le16(zip, at + 26);
        const size_t extraLength = Le16(zip, at + 28);
        e.name = zip.substr(at + 30, nameLength);
        const size_t dataAt = at + 30 + nameLength + extraLength;
        e.dataOffset = dataAt;
        e.data = zip.substr(dataAt, e.compressedSize);
        entries.push_back(e);
        at = dataAt + e.compressedSize;
    }
    return entries;
}

}  // namespace kelvara::test
