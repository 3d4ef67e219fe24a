// The traditional ZIP encryption: three 32-bit keys driven by the plain bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kelvara::archive {

class PkwareCipher {
  public:
    // The three keys initialised and fed with the password bytes.
    void Init(std::string_view password);
    // Decrypts one byte; the keys are updated with the plain byte.
    uint8_t DecryptByte(uint8_t c);
    void Decrypt(uint8_t* data, size_t n);
    // Re-initialises with `password` (an empty one fails at once), decrypts a copy of the
    // 12-byte header and returns whether its last byte equals checkByte; on success the keys
    // are left ready to decrypt the entry's data.
    bool CheckPassword(std::string_view password, const uint8_t header[12], uint8_t checkByte);

  private:
    void UpdateKeys(uint8_t plain);
    uint8_t StreamByte() const;

    uint32_t key0_ = 0;
    uint32_t key1_ = 0;
    uint32_t key2_ = 0;
};

}  // namespace kelvara::archive
