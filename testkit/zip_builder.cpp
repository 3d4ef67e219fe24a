#include "testkit/zip_builder.h"

#include <zlib.h>

#include "testkit/temp_folder.h"

namespace kelvara::test {

std::string BuildZip(const ZipSpec& spec) {
    std::string body, central;
    for (const ZipEntrySpec& e : spec.entries) {
        const uint32_t crc = e.computeCrc ? Crc32Of(e.data) : e.crc;
        const uint32_t size =
            e.sizeFromData ? static_cast<uint32_t>(e.data.size()) : e.uncompressedSize;
        const std::string& localName = e.localName.empty() ? e.name : e.localName;
        const uint32_t offset = static_cast<uint32_t>(body.size());
        PutLe32(body, 0x04034B50);
        PutLe16(body, e.versionNeeded);
        PutLe16(body, e.flags);
        PutLe16(body, e.method);
        PutLe32(body, e.dosDateTime);
        PutLe32(body, crc);
        PutLe32(body, static_cast<uint32_t>(e.data.size()));
        PutLe32(body, size);
        PutLe16(body, static_cast<uint32_t>(localName.size()));
        PutLe16(body, 0);
        body += localName;
        body += e.data;

        PutLe32(central, 0x02014B50);
        PutLe16(central, e.versionMadeBy);
        PutLe16(central, e.versionNeeded);
        PutLe16(central, e.flags);
        PutLe16(central, e.method);
        PutLe32(central, e.dosDateTime);
        PutLe32(central, crc);
        PutLe32(central, static_cast<uint32_t>(e.data.size()));
        PutLe32(central, size);
        PutLe16(central, static_cast<uint32_t>(e.name.size()));
        PutLe16(central, 0);
        PutLe16(central, 0);
        PutLe16(central, 0);
        PutLe16(central, 0);
        PutLe32(central, e.externalAttributes);
        PutLe32(central,
                e.localOffsetOverride >= 0 ? static_cast<uint32_t>(e.localOffsetOverride) : offset);
        central += e.name;
    }
    std::string end;
    const uint32_t count = spec.entryCountOverride >= 0
                               ? static_cast<uint32_t>(spec.entryCountOverride)
                               : static_cast<uint32_t>(spec.entries.size());
    PutLe32(end, 0x06054B50);
    PutLe16(end, 0);
    PutLe16(end, 0);
    PutLe16(end, count);
    PutLe16(end, count);
    PutLe32(end, static_cast<uint32_t>(central.size()));
    PutLe32(end, static_cast<uint32_t>(body.size()));
    PutLe16(end, static_cast<uint32_t>(spec.comment.size()));
    return spec.prefix + body + central + end + spec.comment;
}

std::string BuildZipOf(std::vector<ZipEntrySpec> entries) {
    ZipSpec spec;
    spec.entries = std::move(entries);
    return BuildZip(spec);
}

std::string MakeStoredZip(const std::vector<std::pair<std::string, std::string>>& entries) {
    // 1 February 2009, 12:00, version 1.0 needed; folders carry the MS-DOS directory attribute.
    const uint32_t kDosTime = (12u << 11), kDosDate = ((2009u - 1980u) << 9) | (2u << 5) | 1u;
    std::vector<ZipEntrySpec> specs;
    for (const auto& [name, content] : entries) {
        ZipEntrySpec e;
        e.name = name;
        e.data = content;
        e.dosDateTime = kDosDate << 16 | kDosTime;
        e.versionNeeded = 10;
        e.externalAttributes = name.ends_with("/") ? 0x10 : 0x20;
        specs.push_back(std::move(e));
    }
    return BuildZipOf(std::move(specs));
}

std::string RawDeflate(const std::string& data, int level) {
    z_stream z{};
    deflateInit2(&z, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, data.size()), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

void WriteZip(const std::string& path,
              const std::vector<std::pair<std::string, std::string>>& entries) {
    WriteFile(path, MakeStoredZip(entries));
}

}  // namespace kelvara::test
