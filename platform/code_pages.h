// Code-page conversions: archive entry names in CP866, 8-bit texts in Windows-1251, and the
// UTF-8 / UTF-16 forms the program works in. Every place that decodes these encodings goes
// through here, so that texts, manifests and file names agree byte for byte.
#pragma once

#include <string>
#include <string_view>

namespace kelvara::platform {

bool IsValidUtf8(std::string_view bytes);
std::string Cp866ToUtf8(std::string_view bytes);

// One Windows-1251 byte as the platform decodes it: the system converter's table, and the one
// byte that table leaves unassigned (0x98) as the C1 control of the same value, U+0098.
char16_t Windows1251Char(unsigned char byte);
std::u16string Windows1251ToUtf16(std::string_view bytes);
std::string Windows1251ToUtf8(std::string_view bytes);
// Characters that Windows-1251 cannot hold become one "?" each; U+0098 becomes 0x98.
std::string Utf8ToWindows1251(std::string_view utf8);

// Text files without a byte-order mark: UTF-8 when the bytes are valid UTF-8, else Windows-1251.
std::u16string EightBitToUtf16(std::string_view bytes);
// Strict: fills `out` and returns true only when all of `utf8` is well-formed UTF-8 (no overlong
// forms, surrogates or values past U+10FFFF); `out` is unspecified otherwise.
bool TryUtf8ToUtf16(std::string_view utf8, std::u16string& out);
// Lenient: each maximal ill-formed subpart (the longest start of a well-formed sequence, or one
// byte that cannot start one) becomes one U+FFFD, as the Unicode standard recommends.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace kelvara::platform
