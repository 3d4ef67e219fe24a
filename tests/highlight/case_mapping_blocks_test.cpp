#include <gtest/gtest.h>

#include <string>

#include "highlight/case_mapping.h"

namespace kelvara::highlight {
namespace {

std::u16string OneByOne(std::u16string_view text) {
    std::u16string lowered;
    for (char16_t c : text) {
        lowered.push_back(LowerCaseChar(c));
    }
    return lowered;
}

TEST(CaseMappingBlocks, EveryCodeUnitInEveryPositionOfABlock) {
    // Each code unit among ASCII letters, at each offset of the eight-character blocks and of
    // the tail, so that both the ASCII form and the table meet every character.
    const std::u16string filler = u"aZ@[`{Mm0aZ@[`{Mm0";
    for (char32_t code = 0; code <= 0xFFFF; ++code) {
        const char16_t c = static_cast<char16_t>(code);
        const size_t at = code % filler.size();
        std::u16string text = filler;
        text[at] = c;
        ASSERT_EQ(LowerCased(text), OneByOne(text))
            << "code " << static_cast<unsigned>(code) << " at " << at;
    }
}

TEST(CaseMappingBlocks, AsciiBoundariesAtEachLane) {
    for (char16_t c :
         {u'\0', u'@', u'A', u'Z', u'[', u'`', u'a', u'z', u'{', char16_t(0x7F), char16_t(0x80),
          char16_t(0xC0), char16_t(0x100), char16_t(0x141), char16_t(0xFF41), char16_t(0xFFFF)}) {
        for (size_t length = 1; length <= 24; ++length) {
            for (size_t at = 0; at < length; ++at) {
                std::u16string text(length, u'Q');
                text[at] = c;
                ASSERT_EQ(LowerCased(text), OneByOne(text))
                    << "code " << int(c) << " at " << at << " of " << length;
            }
        }
    }
}

TEST(CaseMappingBlocks, CopyLeavesTheSourceAndWritesOnlyCount) {
    const std::u16string source = u"ABCDEFGHIJKLMNOPQRSTU\u0416";
    std::u16string target(source.size() + 4, u'#');
    LowerCaseCopy(source.data(), source.size(), target.data());
    EXPECT_EQ(source, u"ABCDEFGHIJKLMNOPQRSTU\u0416");
    EXPECT_EQ(target, u"abcdefghijklmnopqrstu\u0436####");
}

}  // namespace
}  // namespace kelvara::highlight
