#include "support/zip_writer.h"

#include <cstdint>

#include "testkit/temp_folder.h"

namespace kelvara::test {
namespace {

uint32_t Crc32(const std::string& data) {
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char c : data) {
        crc ^= c;
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void Put16(std::string& out, uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

void Put32(std::string& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

}  // namespace

std::string MakeStoredZip(const std::vector<std::pair<std::string, std::string>>& entries) {
    const uint32_t kDosTime = (12u << 11), kDosDate = ((2009u - 1980u) << 9) | (2u << 5) | 1u;
    std::string local, central;
    for (const auto& [name, content] : entries) {
        uint32_t offset = static_cast<uint32_t>(local.size());
        uint32_t crc = Crc32(content);
        Put32(local, 0x04034b50);
        Put16(local, 10);
        Put16(local, 0);
        Put16(local, 0);
        Put16(local, kDosTime);
        Put16(local, kDosDate);
        Put32(local, crc);
        Put32(local, static_cast<uint32_t>(content.size()));
        Put32(local, static_cast<uint32_t>(content.size()));
        Put16(local, static_cast<uint32_t>(name.size()));
        Put16(local, 0);
        local += name;
        local += content;

        Put32(central, 0x02014b50);
        Put16(central, 20);
        Put16(central, 10);
        Put16(central, 0);
        Put16(central, 0);
        Put16(central, kDosTime);
        Put16(central, kDosDate);
        Put32(central, crc);
        Put32(central, static_cast<uint32_t>(content.size()));
        Put32(central, static_cast<uint32_t>(content.size()));
        Put16(central, static_cast<uint32_t>(name.size()));
        Put16(central, 0);
        Put16(central, 0);
        Put16(central, 0);
        Put16(central, 0);
        Put32(central, name.ends_with("/") ? 0x10 : 0x20);
        Put32(central, offset);
        central += name;
    }
    std::string out = local + central;
    Put32(out, 0x06054b50);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, static_cast<uint32_t>(entries.size()));
    Put16(out, static_cast<uint32_t>(entries.size()));
    Put32(out, static_cast<uint32_t>(central.size()));
    Put32(out, static_cast<uint32_t>(local.size()));
    Put16(out, 0);
    return out;
}

void WriteZip(const std::string& path,
              const std::vector<std::pair<std::string, std::string>>& entries) {
    WriteFile(path, MakeStoredZip(entries));
}

}  // namespace kelvara::test
