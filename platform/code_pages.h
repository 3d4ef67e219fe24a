// Code-page conversions (through iconv): archive entry names in CP866, 8-bit texts in
// Windows-1251, and the UTF-8 / UTF-16 forms the program works in.
#pragma once

#include <string>
#include <string_view>

namespace kelvara::platform {

bool IsValidUtf8(std::string_view bytes);
std::string Cp866ToUtf8(std::string_view bytes);
std::string Windows1251ToUtf8(std::string_view bytes);
// Characters that Windows-1251 cannot hold become "?".
std::string Utf8ToWindows1251(std::string_view utf8);

// Text files without a byte-order mark: UTF-8 when the bytes are valid UTF-8, else Windows-1251.
std::u16string EightBitToUtf16(std::string_view bytes);
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace kelvara::platform
