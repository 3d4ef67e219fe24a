#include "archive/zip_records.h"

namespace kelvara::archive {
namespace {

bool IsHeaderSignature(const uint8_t* p, uint8_t third, uint8_t fourth) {
    return p[0] == 'P' && (p[1] == 'K' || p[1] == 'M') && p[2] == third && p[3] == fourth;
}

// The values a zip64 or high-part block may replace, in the order they appear.
struct WideFields {
    uint64_t* uncompressed;
    uint64_t* compressed;
    uint64_t* offset;  // null for a local header
};

void WalkExtra(const uint8_t* extra, size_t length, const WideFields& f) {
    const bool needUncompressed = *f.uncompressed == 0xFFFFFFFFu;
    const bool needCompressed = *f.compressed == 0xFFFFFFFFu;
    const bool needOffset = f.offset && *f.offset == 0xFFFFFFFFu;
    size_t pos = 0;
    while (length - pos >= 4) {
        const uint16_t tag = Get16(extra + pos);
        const size_t size = Get16(extra + pos + 2);
        const uint8_t* data = extra + pos + 4;
        if (size > length - pos - 4)
            break;
        if (tag == 0x0001) {
            size_t at = 0;
            auto take = [&](bool needed, uint64_t* field) {
                if (!needed || at + 8 > size)
                    return;
                *field = Get48(data + at);
                at += 8;
            };
            take(needUncompressed, f.uncompressed);
            take(needCompressed, f.compressed);
            if (f.offset)
                take(needOffset, f.offset);
        } else if (tag == 0x0064) {
            const size_t wanted = f.offset ? 6 : 4;
            if (size >= wanted) {
                *f.compressed = (*f.compressed & 0xFFFFFFFFu) | uint64_t{Get16(data)} << 32;
                *f.uncompressed = (*f.uncompressed & 0xFFFFFFFFu) | uint64_t{Get16(data + 2)} << 32;
                if (f.offset)
                    *f.offset = (*f.offset & 0xFFFFFFFFu) | uint64_t{Get16(data + 4)} << 32;
            }
        }
        pos += 4 + size;
    }
}

}  // namespace

bool IsLocalSignature(const uint8_t* p) {
    return IsHeaderSignature(p, 3, 4);
}
bool IsCentralSignature(const uint8_t* p) {
    return IsHeaderSignature(p, 1, 2);
}

EndRecordKind EndRecordKindAt(const uint8_t* p) {
    if (p[0] != 'P' || p[3] != 6)
        return EndRecordKind::kNone;
    if (p[1] == 'K' && p[2] == 5)
        return EndRecordKind::kStandard;
    if (p[1] == '[' && p[2] == 5)
        return EndRecordKind::kWide;
    if ((p[1] == 'L' && p[2] == 5) || (p[1] == '\\' && p[2] == 5))
        return EndRecordKind::kScrambled;
    return EndRecordKind::kNone;
}

LocalHeader ParseLocalHeader(const uint8_t* p) {
    LocalHeader h;
    h.flags = Get16(p + 6);
    h.method = Get16(p + 8);
    h.dosDateTime = Get32(p + 10);
    h.crc = Get32(p + 14);
    h.compressedSize = Get32(p + 18);
    h.uncompressedSize = Get32(p + 22);
    h.nameLength = Get16(p + 26);
    h.extraLength = Get16(p + 28);
    return h;
}

CentralHeader ParseCentralHeader(const uint8_t* p) {
    CentralHeader h;
    h.versionMadeBy = Get16(p + 4);
    h.flags = Get16(p + 8);
    h.method = Get16(p + 10);
    h.dosDateTime = Get32(p + 12);
    h.crc = Get32(p + 16);
    h.compressedSize = Get32(p + 20);
    h.uncompressedSize = Get32(p + 24);
    h.nameLength = Get16(p + 28);
    h.extraLength = Get16(p + 30);
    h.commentLength = Get16(p + 32);
    h.diskStart = Get16(p + 34);
    h.externalAttributes = Get32(p + 38);
    h.localHeaderOffset = Get32(p + 42);
    return h;
}

void ApplyLocalExtra(const uint8_t* extra, size_t length, LocalHeader& header) {
    WalkExtra(extra, length, {&header.uncompressedSize, &header.compressedSize, nullptr});
}

void ApplyCentralExtra(const uint8_t* extra, size_t length, CentralHeader& header) {
    WalkExtra(extra, length,
              {&header.uncompressedSize, &header.compressedSize, &header.localHeaderOffset});
}

}  // namespace kelvara::archive
