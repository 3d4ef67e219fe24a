// Byte input of the PNG loader over a standard stream: exact reads that report a short file,
// big-endian numbers and skipping.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>

namespace kelvara::png {

class TPngInput {
  public:
    explicit TPngInput(std::istream& stream) : stream_(stream) {}

    // Reads up to count bytes; returns how many arrived.
    size_t ReadSome(void* buffer, size_t count);
    // Reads exactly count bytes or raises EPngUnexpectedEnd.
    void ReadExact(void* buffer, size_t count);
    uint32_t ReadUInt32();
    // Moves forward by count bytes (fewer when the stream ends first).
    void Skip(uint64_t count);

  private:
    std::istream& stream_;
};

inline uint32_t BigEndian32(const uint8_t* bytes) {
    return uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 |
           uint32_t(bytes[3]);
}

}  // namespace kelvara::png
