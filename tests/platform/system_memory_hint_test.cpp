#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/code_pages.h"
#include "platform/system_memory.h"

namespace kelvara::platform {
namespace {

TEST(PreferHugePages, AnyBufferStaysAsItWas) {
    PreferHugePages(nullptr, 0);
    PreferHugePages(nullptr, std::size_t{64} << 20);
    for (std::size_t size : {std::size_t{1}, std::size_t{4096}, std::size_t{3} << 20,
                             (std::size_t{9} << 20) + 12345}) {
        std::vector<unsigned char> buffer(size);
        for (std::size_t i = 0; i < size; ++i) {
            buffer[i] = static_cast<unsigned char>(i * 7);
        }
        // Unaligned starts and ends too.
        PreferHugePages(buffer.data() + 1, size - 1);
        PreferHugePages(buffer.data(), size);
        for (std::size_t i = 0; i < size; ++i) {
            ASSERT_EQ(buffer[i], static_cast<unsigned char>(i * 7)) << i;
        }
    }
}

TEST(PreferHugePages, LargeTextsDecodeAsSmallOnes) {
    // Large enough for the decoders to ask for huge pages.
    std::string utf8;
    while (utf8.size() < (std::size_t{6} << 20)) {
        utf8 += "plain text, \xD0\x96 and \xF0\x9F\x98\x80\n";
    }
    const std::u16string text = Utf8ToUtf16(utf8);
    EXPECT_EQ(EightBitToUtf16(utf8), text);
    EXPECT_EQ(Utf16ToUtf8(text), utf8);
    const std::string eightBit(std::size_t{5} << 20, '\xC0');
    const std::u16string cyrillic = EightBitToUtf16(eightBit);
    ASSERT_EQ(cyrillic.size(), eightBit.size());
    EXPECT_EQ(cyrillic.front(), u'\u0410');
    EXPECT_EQ(cyrillic.back(), u'\u0410');
}

}  // namespace
}  // namespace kelvara::platform
