#include "archive/pkware_cipher.h"

#include "archive/crc32.h"

namespace kelvara::archive {

namespace {

// One step of the CRC-32 register, as the key schedule uses it (no pre- or post-inversion).
uint32_t CrcStep(uint32_t crc, uint8_t b) {
    return UpdateCrc(crc, &b, 1);
}

constexpr size_t kHeaderSize = 12;

}  // namespace

void PkwareCipher::Init(std::string_view password) {
    key0_ = 0x12345678u;
    key1_ = 0x23456789u;
    key2_ = 0x34567890u;
    for (char c : password)
        UpdateKeys(static_cast<uint8_t>(c));
}

void PkwareCipher::UpdateKeys(uint8_t plain) {
    key0_ = CrcStep(key0_, plain);
    key1_ = (key1_ + (key0_ & 0xFF)) * 134775813u + 1;
    key2_ = CrcStep(key2_, static_cast<uint8_t>(key1_ >> 24));
}

uint8_t PkwareCipher::StreamByte() const {
    const uint32_t temp = (key2_ | 2) & 0xFFFF;
    return static_cast<uint8_t>((temp * (temp ^ 1)) >> 8);
}

uint8_t PkwareCipher::DecryptByte(uint8_t c) {
    const uint8_t plain = c ^ StreamByte();
    UpdateKeys(plain);
    return plain;
}

void PkwareCipher::Decrypt(uint8_t* data, size_t n) {
    for (size_t i = 0; i < n; ++i)
        data[i] = DecryptByte(data[i]);
}

bool PkwareCipher::CheckPassword(std::string_view password, const uint8_t header[12],
                                 uint8_t checkByte) {
    if (password.empty())
        return false;
    Init(password);
    uint8_t last = 0;
    for (size_t i = 0; i < kHeaderSize; ++i)
        last = DecryptByte(header[i]);
    return last == checkByte;
}

}  // namespace kelvara::archive
