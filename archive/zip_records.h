// ZIP record layouts: signatures, the fixed parts of local and central headers, and the walk of
// an extra field for 64-bit sizes and offsets.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kelvara::archive {

constexpr size_t kLocalHeaderSize = 30;
constexpr size_t kCentralHeaderSize = 46;
constexpr size_t kEndRecordSize = 22;
constexpr size_t kEndRecord26Size = 26;
constexpr size_t kZip64LocatorSize = 20;
constexpr size_t kZip64EndRecordSize = 56;
constexpr size_t kMaxNameBytes = 255;

constexpr uint32_t kSpanningMarker = 0x08074B50;
constexpr uint32_t kZip64LocatorSignature = 0x07064B50;
constexpr uint32_t kZip64EndSignature = 0x06064B50;

inline uint16_t Get16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
inline uint32_t Get32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
inline uint64_t Get64(const uint8_t* p) {
    return static_cast<uint64_t>(Get32(p)) | static_cast<uint64_t>(Get32(p + 4)) << 32;
}
// 48 bits of a 64-bit field: sizes and offsets are limited to that width.
inline uint64_t Get48(const uint8_t* p) {
    return Get64(p) & 0xFFFFFFFFFFFFull;
}

// Local and central headers are accepted with the standard second signature byte "K" and with
// "M", which reads the same way; the scrambled variants are refused.
bool IsLocalSignature(const uint8_t* p);
bool IsCentralSignature(const uint8_t* p);
// End records: the 22-byte form ("K") and the 26-byte form ("["). Scrambled ones are not taken.
enum class EndRecordKind { kNone, kStandard, kWide, kScrambled };
EndRecordKind EndRecordKindAt(const uint8_t* p);

struct LocalHeader {
    uint16_t flags = 0;
    uint16_t method = 0;
    uint32_t dosDateTime = 0;  // date << 16 | time
    uint32_t crc = 0;
    uint64_t compressedSize = 0;
    uint64_t uncompressedSize = 0;
    uint16_t nameLength = 0;
    uint16_t extraLength = 0;
};

struct CentralHeader {
    uint16_t versionMadeBy = 0;
    uint16_t flags = 0;
    uint16_t method = 0;
    uint32_t dosDateTime = 0;
    uint32_t crc = 0;
    uint64_t compressedSize = 0;
    uint64_t uncompressedSize = 0;
    uint16_t nameLength = 0;
    uint16_t extraLength = 0;
    uint16_t commentLength = 0;
    uint16_t diskStart = 0;
    uint32_t externalAttributes = 0;
    uint64_t localHeaderOffset = 0;
};

LocalHeader ParseLocalHeader(const uint8_t* p);
CentralHeader ParseCentralHeader(const uint8_t* p);

// Replaces 0xFFFFFFFF sizes (and the central header's offset) from a zip64 block (tag 0x0001)
// and adds 16-bit high parts from a tag 0x0064 block. Blocks that run past the end are ignored.
void ApplyLocalExtra(const uint8_t* extra, size_t length, LocalHeader& header);
void ApplyCentralExtra(const uint8_t* extra, size_t length, CentralHeader& header);

}  // namespace kelvara::archive
