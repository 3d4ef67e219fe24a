// CRC-32 of any length, alignment and split into blocks matches the plain bitwise definition.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "archive/crc32.h"

namespace {

using namespace kelvara::archive;

uint32_t BitwiseCrc(uint32_t crc, const uint8_t* data, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc & 1) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    return crc;
}

std::vector<uint8_t> Noise(size_t n, uint32_t seed) {
    std::vector<uint8_t> v(n);
    for (uint8_t& b : v) {
        seed = seed * 1664525u + 1013904223u;
        b = static_cast<uint8_t>(seed >> 24);
    }
    return v;
}

TEST(Crc32, KnownValueAndEveryLengthAndAlignment) {
    const std::string check = "123456789";
    EXPECT_EQ(FinishCrc(UpdateCrc(kCrcInit, reinterpret_cast<const uint8_t*>(check.data()),
                                  check.size())),
              0xCBF43926u);
    const std::vector<uint8_t> data = Noise(1200, 7);
    for (size_t offset = 0; offset < 16; ++offset) {
        for (size_t n = 0; n + offset <= 700; n += (n < 300 ? 1 : 37)) {
            const uint32_t start = offset % 2 ? kCrcInit : 0x12345678u * offset;
            ASSERT_EQ(UpdateCrc(start, data.data() + offset, n),
                      BitwiseCrc(start, data.data() + offset, n))
                << "offset " << offset << " length " << n;
        }
    }
}

TEST(Crc32, BlocksOfAnySizeGiveTheWholeValue) {
    const std::vector<uint8_t> data = Noise(1 << 20, 99);
    const uint32_t whole = UpdateCrc(kCrcInit, data.data(), data.size());
    EXPECT_EQ(whole, BitwiseCrc(kCrcInit, data.data(), data.size()));
    for (size_t block : {1u, 15u, 64u, 100u, 4096u, 32768u, 65537u}) {
        uint32_t crc = kCrcInit;
        for (size_t at = 0; at < data.size(); at += block)
            crc = UpdateCrc(crc, data.data() + at, std::min(block, data.size() - at));
        EXPECT_EQ(crc, whole) << "block " << block;
    }
    // Long runs of one byte value, where a wrong folding constant would cancel out least.
    const std::vector<uint8_t> zeros(100000, 0), ones(100000, 0xFF);
    EXPECT_EQ(UpdateCrc(kCrcInit, zeros.data(), zeros.size()),
              BitwiseCrc(kCrcInit, zeros.data(), zeros.size()));
    EXPECT_EQ(UpdateCrc(0, ones.data(), ones.size()), BitwiseCrc(0, ones.data(), ones.size()));
}

}  // namespace
