#include "platform/code_pages.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>

namespace kelvara::platform {
namespace {

// Converts with iconv; an unconvertible or invalid input byte becomes `replacement` (in the
// target encoding) and the conversion goes on after it.
std::string Convert(const char* to, const char* from, std::string_view input,
                    std::string_view replacement, size_t inputUnit = 1) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::string(input);
    std::string out;
    out.resize(input.size() * 4 + 16);
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    while (inLeft > 0) {
        size_t r = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        if (r != static_cast<size_t>(-1))
            break;
        if (errno == E2BIG) {
            size_t used = static_cast<size_t>(outPtr - out.data());
            out.resize(out.size() * 2);
            outPtr = out.data() + used;
            outLeft = out.size() - used;
            continue;
        }
        // EILSEQ or EINVAL: replace one input unit and go on.
        size_t skip = inLeft < inputUnit ? inLeft : inputUnit;
        in += skip;
        inLeft -= skip;
        size_t used = static_cast<size_t>(outPtr - out.data());
        if (outLeft < replacement.size()) {
            out.resize(out.size() * 2 + replacement.size());
            outPtr = out.data() + used;
            outLeft = out.size() - used;
        }
        std::memcpy(outPtr, replacement.data(), replacement.size());
        outPtr += replacement.size();
        outLeft -= replacement.size();
    }
    out.resize(static_cast<size_t>(outPtr - out.data()));
    iconv_close(cd);
    return out;
}

}  // namespace

bool IsValidUtf8(std::string_view s) {
    size_t i = 0, n = s.size();
    while (i < n) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        size_t len;
        uint32_t cp;
        if ((c & 0xE0) == 0xC0) {
            len = 2;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            len = 3;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            len = 4;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + len > n)
            return false;
        for (size_t k = 1; k < len; ++k) {
            unsigned char cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        if ((len == 2 && cp < 0x80) || (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000) ||
            cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += len;
    }
    return true;
}

std::string Cp866ToUtf8(std::string_view bytes) {
    return Convert("UTF-8", "CP866", bytes, "?");
}

std::string Windows1251ToUtf8(std::string_view bytes) {
    return Convert("UTF-8", "WINDOWS-1251", bytes, "?");
}

std::string Utf8ToWindows1251(std::string_view utf8) {
    return Convert("WINDOWS-1251", "UTF-8", utf8, "?");
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
    std::string raw = Convert("UTF-16LE", "UTF-8", utf8, std::string_view("\xFD\xFF", 2));
    std::u16string out(raw.size() / 2, u'\0');
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<char16_t>(static_cast<unsigned char>(raw[2 * i]) |
                                       (static_cast<unsigned char>(raw[2 * i + 1]) << 8));
    return out;
}

std::u16string EightBitToUtf16(std::string_view bytes) {
    if (IsValidUtf8(bytes))
        return Utf8ToUtf16(bytes);
    return Utf8ToUtf16(Windows1251ToUtf8(bytes));
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string raw(text.size() * 2, '\0');
    for (size_t i = 0; i < text.size(); ++i) {
        raw[2 * i] = static_cast<char>(text[i] & 0xFF);
        raw[2 * i + 1] = static_cast<char>(text[i] >> 8);
    }
    return Convert("UTF-8", "UTF-16LE", raw, "\xEF\xBF\xBD", 2);
}

}  // namespace kelvara::platform
