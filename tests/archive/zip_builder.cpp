#include "zip_builder.h"

namespace kelvara::test {
namespace {

void Put16(std::string& s, uint32_t v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}

void Put32(std::string& s, uint32_t v) {
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}

}  // namespace

uint32_t Crc32Of(const std::string& data) {
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char c : data) {
        crc ^= c;
        for (int k = 0; k < 8; ++k)
            crc = (crc & 1) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    return crc ^ 0xFFFFFFFFu;
}

std::string BuildZip(const ZipSpec& spec) {
    std::string body, central;
    for (const ZipEntrySpec& e : spec.entries) {
        const uint32_t crc = e.computeCrc ? Crc32Of(e.data) : e.crc;
        const uint32_t size =
            e.sizeFromData ? static_cast<uint32_t>(e.data.size()) : e.uncompressedSize;
        const std::string& localName = e.localName.empty() ? e.name : e.localName;
        const uint32_t offset = static_cast<uint32_t>(body.size());
        Put32(body, 0x04034B50);
        Put16(body, 20);
        Put16(body, e.flags);
        Put16(body, e.method);
        Put32(body, e.dosDateTime);
        Put32(body, crc);
        Put32(body, static_cast<uint32_t>(e.data.size()));
        Put32(body, size);
        Put16(body, static_cast<uint32_t>(localName.size()));
        Put16(body, 0);
        body += localName;
        body += e.data;

        Put32(central, 0x02014B50);
        Put16(central, e.versionMadeBy);
        Put16(central, 20);
        Put16(central, e.flags);
        Put16(central, e.method);
        Put32(central, e.dosDateTime);
        Put32(central, crc);
        Put32(central, static_cast<uint32_t>(e.data.size()));
        Put32(central, size);
        Put16(central, static_cast<uint32_t>(e.name.size()));
        Put16(central, 0);
        Put16(central, 0);
        Put16(central, 0);
        Put16(central, 0);
        Put32(central, e.externalAttributes);
        Put32(central,
              e.localOffsetOverride >= 0 ? static_cast<uint32_t>(e.localOffsetOverride) : offset);
        central += e.name;
    }
    std::string end;
    const uint32_t count = spec.entryCountOverride >= 0
                               ? static_cast<uint32_t>(spec.entryCountOverride)
                               : static_cast<uint32_t>(spec.entries.size());
    Put32(end, 0x06054B50);
    Put16(end, 0);
    Put16(end, 0);
    Put16(end, count);
    Put16(end, count);
    Put32(end, static_cast<uint32_t>(central.size()));
    Put32(end, static_cast<uint32_t>(body.size()));
    Put16(end, static_cast<uint32_t>(spec.comment.size()));
    return spec.prefix + body + central + end + spec.comment;
}

}  // namespace kelvara::test

namespace kelvara::test {

std::string BuildZipOf(std::vector<ZipEntrySpec> entries) {
    ZipSpec spec;
    spec.entries = std::move(entries);
    return BuildZip(spec);
}

}  // namespace kelvara::test
