#include "legacy_test_support.h"

namespace kelvara::test {

DecodeResult DecodeBytes(const std::string& data, uint16_t method, uint16_t flags,
                         uint64_t uncompressedSize, size_t readChunk) {
    DecodeResult result;
    size_t at = 0;
    archive::CompressedReader read = [&](uint8_t* buffer, size_t n) {
        result.largestRead = std::max(result.largestRead, n);
        const size_t count = std::min({n, data.size() - at, readChunk});
        std::copy_n(data.data() + at, count, buffer);
        at += count;
        return count;
    };
    archive::BlockWriter write = [&](const uint8_t* block, size_t n) {
        result.largestWrite = std::max(result.largestWrite, n);
        result.output.append(reinterpret_cast<const char*>(block), n);
    };
    const archive::LegacyEntryInfo info{method, flags, data.size(), uncompressedSize};
    // Bad input is a status, never an exception: a throw fails the test.
    result.status = archive::DecodeLegacy(info, read, write);
    return result;
}

}  // namespace kelvara::test
