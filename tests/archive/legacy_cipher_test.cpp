// The traditional ZIP cipher against archives encrypted by other tools.
#include <gtest/gtest.h>

#include "archive/pkware_cipher.h"
#include "legacy_test_support.h"
#include "testkit/temp_folder.h"

namespace kelvara::test {
namespace {

using archive::PkwareCipher;

constexpr uint16_t kFlagDataDescriptor = 0x0008;

LocalEntry FirstEntry(const std::string& name) {
    const std::string zip = ReadFile(TestData("zip/legacy/" + name));
    LocalEntry e = LocalEntries(zip).at(0);
    // Streamed entries carry their sizes only in the data descriptor: keep everything after
    // the header; the tests look at the first bytes only.
    e.data = zip.substr(e.dataOffset);
    return e;
}

uint8_t CheckByte(const LocalEntry& e) {
    return (e.flags & kFlagDataDescriptor) ? e.dosTime >> 8 : e.crc >> 24;
}

const uint8_t* Header(const LocalEntry& e) {
    return reinterpret_cast<const uint8_t*>(e.data.data());
}

std::string DecryptStored(PkwareCipher& cipher, const LocalEntry& e, size_t size) {
    std::string plain = e.data.substr(12, size);
    cipher.Decrypt(reinterpret_cast<uint8_t*>(plain.data()), plain.size());
    return plain;
}

TEST(LegacyCipher, StoredEntryWithDataDescriptor) {
    const LocalEntry e = FirstEntry("stored-secret.zip");
    ASSERT_TRUE(e.flags & kFlagDataDescriptor);
    PkwareCipher cipher;
    EXPECT_FALSE(cipher.CheckPassword("Secret", Header(e), CheckByte(e)));
    EXPECT_FALSE(cipher.CheckPassword("secret!", Header(e), CheckByte(e)));
    ASSERT_TRUE(cipher.CheckPassword("secret", Header(e), CheckByte(e)));
    EXPECT_EQ(DecryptStored(cipher, e, 45), "The quick brown fox jumps over the lazy dog.\n");
}

TEST(LegacyCipher, StoredEntryCheckedAgainstCrcHighByte) {
    const LocalEntry e = FirstEntry("nodesc-secret.zip");
    ASSERT_FALSE(e.flags & kFlagDataDescriptor);
    PkwareCipher cipher;
    EXPECT_FALSE(cipher.CheckPassword("secreT", Header(e), CheckByte(e)));
    ASSERT_TRUE(cipher.CheckPassword("secret", Header(e), CheckByte(e)));
    const std::string plain = DecryptStored(cipher, e, 62);
    EXPECT_EQ(plain, "No data descriptor here: the check byte is the CRC high byte.\n");
    EXPECT_EQ(Crc32Of(plain), e.crc);
}

TEST(LegacyCipher, StreamedEntryChecksAgainstTimeByte) {
    const LocalEntry e = FirstEntry("piped-pw.zip");
    ASSERT_TRUE(e.flags & kFlagDataDescriptor);
    PkwareCipher cipher;
    EXPECT_FALSE(cipher.CheckPassword("pW", Header(e), CheckByte(e)));
    EXPECT_TRUE(cipher.CheckPassword("pw", Header(e), CheckByte(e)));
}

TEST(LegacyCipher, EmptyPasswordFailsEvenWhenTheByteWouldMatch) {
    const uint8_t header[12] = {};
    PkwareCipher probe;
    probe.Init("");
    uint8_t plain[12] = {};
    probe.Decrypt(plain, sizeof plain);
    PkwareCipher cipher;
    EXPECT_FALSE(cipher.CheckPassword("", header, plain[11]));
}

TEST(LegacyCipher, RecheckingReinitialisesTheKeys) {
    const LocalEntry e = FirstEntry("stored-secret.zip");
    PkwareCipher cipher;
    ASSERT_TRUE(cipher.CheckPassword("secret", Header(e), CheckByte(e)));
    ASSERT_TRUE(cipher.CheckPassword("secret", Header(e), CheckByte(e)));
    EXPECT_EQ(DecryptStored(cipher, e, 3), "The");
    // Byte-wise and block decryption agree.
    ASSERT_TRUE(cipher.CheckPassword("secret", Header(e), CheckByte(e)));
    std::string bytewise;
    for (size_t i = 12; i < 15; ++i) {
        bytewise += static_cast<char>(cipher.DecryptByte(static_cast<uint8_t>(e.data[i])));
    }
    EXPECT_EQ(bytewise, "The");
}

}  // namespace
}  // namespace kelvara::test
