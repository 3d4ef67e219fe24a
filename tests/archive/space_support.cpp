#include "space_support.h"

#include <algorithm>
#include <fstream>
#include <vector>

#include "archive/crc32.h"
#include "testkit/deflate_stream_writer.h"
#include "testkit/zip_builder.h"

namespace kelvara::test {

std::string ZeroDeflate(uint64_t size) {
    DeflateWriter w;
    w.BlockHeader(true, 1);  // final block, fixed codes
    uint64_t left = size;
    if (left > 0) {
        w.Literal(0);
        --left;
    }
    for (; left >= 258; left -= 258) {
        w.LengthCode(285);  // 258 bytes
        w.Distance(0);      // distance 1
    }
    for (; left > 0; --left)
        w.Literal(0);
    w.EndOfBlock();
    return w.Bytes();
}

uint32_t ZeroCrc(uint64_t size) {
    static const std::vector<uint8_t> zeros(1 << 20);
    uint32_t crc = archive::kCrcInit;
    for (uint64_t left = size; left > 0;) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(left, zeros.size()));
        crc = archive::UpdateCrc(crc, zeros.data(), n);
        left -= n;
    }
    return archive::FinishCrc(crc);
}

std::string ZeroArchive(const std::string& name, uint32_t size) {
    ZipEntrySpec e;
    e.name = name;
    e.method = 8;
    e.data = ZeroDeflate(size);
    e.computeCrc = false;
    e.crc = ZeroCrc(size);
    e.sizeFromData = false;
    e.uncompressedSize = size;
    return BuildZipOf({e});
}

bool FillFile(const std::string& path, uint64_t bytes) {
    std::ofstream out(path, std::ios::binary);
    static const std::vector<char> zeros(1 << 20);
    for (uint64_t left = bytes; left > 0 && out;) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(left, zeros.size()));
        out.write(zeros.data(), static_cast<std::streamsize>(n));
        left -= n;
    }
    out.flush();
    return static_cast<bool>(out);
}

}  // namespace kelvara::test
