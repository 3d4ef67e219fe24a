#include "archive/zip_directory.h"

#include <algorithm>
#include <vector>

namespace kelvara::archive {
namespace {

std::string ReadName(const ArchiveInput& input, int64_t at, size_t length) {
    std::string name(std::min(length, kMaxNameBytes), '\0');
    name.resize(input.ReadAt(at, name.data(), name.size()));
    return name;
}

std::vector<uint8_t> ReadExtra(const ArchiveInput& input, int64_t at, size_t length) {
    std::vector<uint8_t> extra(length);
    extra.resize(input.ReadAt(at, extra.data(), length));
    return extra;
}

}  // namespace

bool ReadEntryRange(const ArchiveInput& input, int64_t offset, uint64_t compressedSize,
                    ByteRange& range) {
    uint8_t raw[kLocalHeaderSize];
    if (!input.ReadFullAt(offset, raw, sizeof raw) || !IsLocalSignature(raw))
        return false;
    const LocalHeader h = ParseLocalHeader(raw);
    // The offset lies within the file and sizes are at most 48 bits wide: no wrap-around.
    range.begin = static_cast<uint64_t>(offset);
    range.end = range.begin + kLocalHeaderSize + h.nameLength + h.extraLength + compressedSize;
    return true;
}

bool AnyOverlap(std::vector<ByteRange>& ranges) {
    std::sort(ranges.begin(), ranges.end(), [](const ByteRange& a, const ByteRange& b) {
        return a.begin < b.begin || (a.begin == b.begin && a.end < b.end);
    });
    uint64_t reached = 0;
    for (const ByteRange& r : ranges) {
        if (r.begin >= r.end)
            continue;  // an empty range shares nothing
        if (r.begin < reached)
            return true;
        reached = std::max(reached, r.end);
    }
    return false;
}

void VisitCentralDirectory(const ArchiveInput& input, int64_t start,
                           const std::function<bool(const CentralRecord&)>& visit) {
    int64_t pos = start;
    uint8_t raw[kCentralHeaderSize];
    while (true) {
        input.ReadFullAt(pos, raw, sizeof raw);
        if (!IsCentralSignature(raw))
            return;
        CentralRecord record;
        record.header = ParseCentralHeader(raw);
        record.offset = pos;
        const CentralHeader& h = record.header;
        const int64_t nameAt = pos + static_cast<int64_t>(kCentralHeaderSize);
        record.storedName = ReadName(input, nameAt, h.nameLength);
        if (h.extraLength) {
            const std::vector<uint8_t> extra =
                ReadExtra(input, nameAt + h.nameLength, h.extraLength);
            ApplyCentralExtra(extra.data(), extra.size(), record.header);
        }
        record.end = nameAt + h.nameLength + h.extraLength + h.commentLength;
        if (!visit(record))
            return;
        pos = record.end;
    }
}

bool ReadLocalRecord(const ArchiveInput& input, int64_t offset, LocalRecord& record) {
    uint8_t raw[kLocalHeaderSize];
    if (!input.ReadFullAt(offset, raw, sizeof raw) || !IsLocalSignature(raw))
        return false;
    record.header = ParseLocalHeader(raw);
    record.offset = offset;
    const int64_t nameAt = offset + static_cast<int64_t>(kLocalHeaderSize);
    record.storedName = ReadName(input, nameAt, record.header.nameLength);
    if (record.header.extraLength) {
        const std::vector<uint8_t> extra =
            ReadExtra(input, nameAt + record.header.nameLength, record.header.extraLength);
        ApplyLocalExtra(extra.data(), extra.size(), record.header);
    }
    record.dataOffset = nameAt + record.header.nameLength + record.header.extraLength;
    return true;
}

void VisitLocalHeaders(const ArchiveInput& input, int64_t start,
                       const std::function<bool(const LocalRecord&)>& visit) {
    int64_t pos = start;
    uint8_t marker[4];
    if (input.ReadFullAt(pos, marker, 4) && Get32(marker) == kSpanningMarker)
        pos += 4;
    LocalRecord record;
    while (ReadLocalRecord(input, pos, record)) {
        if (!visit(record))
            return;
        pos = record.dataOffset + static_cast<int64_t>(record.header.compressedSize);
    }
}

}  // namespace kelvara::archive
