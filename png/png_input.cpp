#include "png/png_input.h"

#include <istream>
#include <limits>

#include "png/png_errors.h"

namespace kelvara::png {

size_t TPngInput::ReadSome(void* buffer, size_t count) {
    if (count == 0 || !stream_.good()) {
        return 0;
    }
    stream_.read(static_cast<char*>(buffer), static_cast<std::streamsize>(count));
    return static_cast<size_t>(stream_.gcount());
}

void TPngInput::ReadExact(void* buffer, size_t count) {
    if (ReadSome(buffer, count) != count) {
        throw EPngUnexpectedEnd();
    }
}

uint32_t TPngInput::ReadUInt32() {
    uint8_t bytes[4];
    ReadExact(bytes, sizeof bytes);
    return BigEndian32(bytes);
}

void TPngInput::Skip(uint64_t count) {
    constexpr uint64_t kStep = std::numeric_limits<std::streamsize>::max() / 2;
    while (count > 0 && stream_.good()) {
        const uint64_t step = count < kStep ? count : kStep;
        stream_.ignore(static_cast<std::streamsize>(step));
        count -= step;
    }
}

}  // namespace kelvara::png
