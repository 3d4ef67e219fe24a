#include "platform/code_pages.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/system_memory.h"

namespace kelvara::platform {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

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

// The upper half of Windows-1251, taken once from the system converter. A byte the converter
// refuses (in this code page only 0x98) decodes, as on the platform, to the C1 control of the
// same value.
const std::array<char16_t, 128>& Windows1251UpperHalf() {
    static const std::array<char16_t, 128> table = [] {
        std::array<char16_t, 128> t{};
        for (int i = 0; i < 128; ++i) {
            const char byte = static_cast<char>(0x80 + i);
            const std::string unit =
                Convert("UTF-16LE", "WINDOWS-1251", std::string_view(&byte, 1), "");
            t[i] = unit.size() == 2
                       ? static_cast<char16_t>(static_cast<unsigned char>(unit[0]) |
                                               (static_cast<unsigned char>(unit[1]) << 8))
                       : static_cast<char16_t>(0x80 + i);
        }
        return t;
    }();
    return table;
}

// The same table turned round and sorted by character, for encoding.
const std::array<std::pair<char16_t, unsigned char>, 128>& Windows1251Encoding() {
    static const std::array<std::pair<char16_t, unsigned char>, 128> table = [] {
        std::array<std::pair<char16_t, unsigned char>, 128> t{};
        const auto& upper = Windows1251UpperHalf();
        for (int i = 0; i < 128; ++i)
            t[i] = {upper[i], static_cast<unsigned char>(0x80 + i)};
        std::sort(t.begin(), t.end());
        return t;
    }();
    return table;
}

// A UTF-8 lead byte: the length of its sequence and the range its second byte must lie in
// (later bytes are always 80..BF). These ranges exclude overlong forms, surrogates and values
// past U+10FFFF. Length 0: the byte cannot start a sequence.
struct Utf8Lead {
    int length;
    unsigned char low, high;
};

inline Utf8Lead LeadOf(unsigned char b) {
    if (b < 0xC2)
        return {0, 0, 0};
    if (b < 0xE0)
        return {2, 0x80, 0xBF};
    if (b == 0xE0)
        return {3, 0xA0, 0xBF};
    if (b == 0xED)
        return {3, 0x80, 0x9F};
    if (b < 0xF0)
        return {3, 0x80, 0xBF};
    if (b == 0xF0)
        return {4, 0x90, 0xBF};
    if (b < 0xF4)
        return {4, 0x80, 0xBF};
    if (b == 0xF4)
        return {4, 0x80, 0x8F};
    return {0, 0, 0};
}

// Decodes the sequence at `p` (lead byte >= 0x80). Returns its length with the code point in
// `cp`, or minus the length of the maximal ill-formed subpart that starts at `p` (at least 1).
inline int DecodeSequence(const unsigned char* p, const unsigned char* end, uint32_t& cp) {
    const Utf8Lead lead = LeadOf(*p);
    if (lead.length == 0)
        return -1;
    cp = *p & (0x7Fu >> lead.length);
    for (int k = 1; k < lead.length; ++k) {
        if (end - p <= k)
            return -k;
        const unsigned char c = p[k];
        if (k == 1 ? (c < lead.low || c > lead.high) : (c & 0xC0) != 0x80)
            return -k;
        cp = (cp << 6) | (c & 0x3F);
    }
    return lead.length;
}

// Empties `out` and gives it room for `units` code units, on huge pages when it is large.
void ReserveText(std::u16string& out, size_t units) {
    out.clear();
    out.reserve(units);
    PreferHugePages(out.data(), units * sizeof(char16_t));
}

// UTF-8 to UTF-16 in one pass. Strict: gives up (returns false) at the first ill-formed
// sequence. Lenient: each maximal ill-formed subpart becomes U+FFFD.
template <bool kStrict>
bool DecodeUtf8(std::string_view bytes, std::u16string& out) {
    // Never more code units than bytes.
    ReserveText(out, bytes.size());
    out.resize(bytes.size());
    auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    char16_t* dst = out.data();
    while (p < end) {
#if defined(__SSE2__)
        // Runs of ASCII, sixteen bytes at a time, widened with SSE2.
        const __m128i zero = _mm_setzero_si128();
        while (end - p >= 16) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            if (_mm_movemask_epi8(block) != 0)
                break;
            _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm_unpacklo_epi8(block, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 8), _mm_unpackhi_epi8(block, zero));
            p += 16;
            dst += 16;
        }
#endif
        // Runs of ASCII, eight bytes at a time.
        while (end - p >= 8) {
            std::uint64_t block;
            std::memcpy(&block, p, 8);
            if (block & 0x8080808080808080ull)
                break;
            for (int k = 0; k < 8; ++k)
                dst[k] = p[k];
            p += 8;
            dst += 8;
        }
        if (p == end)
            break;
        if (*p < 0x80) {
            *dst++ = *p++;
            continue;
        }
        uint32_t cp = 0;
        const int len = DecodeSequence(p, end, cp);
        if (len < 0) {
            if (kStrict)
                return false;
            *dst++ = kReplacement;
            p += -len;
            continue;
        }
        p += len;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            *dst++ = static_cast<char16_t>(0xD800 + (cp >> 10));
            *dst++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            *dst++ = static_cast<char16_t>(cp);
        }
    }
    out.resize(static_cast<size_t>(dst - out.data()));
    // Multi-byte text leaves spare room; give it back when it is worth a copy.
    if (out.capacity() - out.size() > out.size() / 8 + 4096)
        out.shrink_to_fit();
    return true;
}

}  // namespace

bool IsValidUtf8(std::string_view s) {
    auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const auto* end = p + s.size();
    while (p < end) {
        if (*p < 0x80) {
            ++p;
            continue;
        }
        uint32_t cp = 0;
        const int len = DecodeSequence(p, end, cp);
        if (len < 0)
            return false;
        p += len;
    }
    return true;
}

namespace {

// UTF-8 for each of the 256 bytes of code page 866, taken once from the system converter with
// one conversion descriptor; a byte it refuses reads as "?".
struct Utf8Unit {
    char bytes[4];
    unsigned char size;
};

const std::array<Utf8Unit, 256>& Cp866Table() {
    static const std::array<Utf8Unit, 256> table = [] {
        std::array<Utf8Unit, 256> t{};
        iconv_t cd = iconv_open("UTF-8", "CP866");
        const bool open = cd != reinterpret_cast<iconv_t>(-1);
        for (int i = 0; i < 256; ++i) {
            char byte = static_cast<char>(i);
            char* in = &byte;
            size_t inLeft = 1;
            char* out = t[i].bytes;
            size_t outLeft = sizeof t[i].bytes;
            if (!open) {
                t[i] = {{byte}, 1};  // no converter: bytes are kept, as Convert does
            } else if (iconv(cd, &in, &inLeft, &out, &outLeft) != static_cast<size_t>(-1) &&
                       inLeft == 0) {
                t[i].size = static_cast<unsigned char>(out - t[i].bytes);
            } else {
                t[i] = {{'?'}, 1};
                iconv(cd, nullptr, nullptr, nullptr, nullptr);
            }
        }
        if (open)
            iconv_close(cd);
        return t;
    }();
    return table;
}

}  // namespace

std::string Cp866ToUtf8(std::string_view bytes) {
    // Archive entry names are converted one by one, thousands per archive: a table look-up per
    // byte instead of a converter opened per name.
    // The lower half is ASCII: most names are copied as they are.
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; }))
        return std::string(bytes);
    const auto& table = Cp866Table();
    std::string out(bytes.size() * 4, '\0');
    size_t used = 0;
    for (unsigned char c : bytes) {
        std::memcpy(out.data() + used, table[c].bytes, sizeof table[c].bytes);
        used += table[c].size;
    }
    out.resize(used);
    return out;
}

char16_t Windows1251Char(unsigned char byte) {
    return byte < 0x80 ? byte : Windows1251UpperHalf()[byte - 0x80];
}

std::u16string Windows1251ToUtf16(std::string_view bytes) {
    const auto& upper = Windows1251UpperHalf();
    std::u16string out;
    ReserveText(out, bytes.size());
    out.resize(bytes.size());
    char16_t* dst = out.data();
    for (unsigned char c : bytes)
        *dst++ = c < 0x80 ? c : upper[c - 0x80];
    return out;
}

std::string Windows1251ToUtf8(std::string_view bytes) {
    return Utf16ToUtf8(Windows1251ToUtf16(bytes));
}

std::string Utf8ToWindows1251(std::string_view utf8) {
    const std::u16string text = Utf8ToUtf16(utf8);
    const auto& encoding = Windows1251Encoding();
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c < 0x80) {
            out += static_cast<char>(c);
            continue;
        }
        // A surrogate pair is one character outside the code page.
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF)
            ++i;
        const auto found = std::lower_bound(encoding.begin(), encoding.end(),
                                            std::pair<char16_t, unsigned char>{c, 0});
        out +=
            found != encoding.end() && found->first == c ? static_cast<char>(found->second) : '?';
    }
    return out;
}

bool TryUtf8ToUtf16(std::string_view utf8, std::u16string& out) {
    return DecodeUtf8<true>(utf8, out);
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    DecodeUtf8<false>(utf8, out);
    return out;
}

std::u16string EightBitToUtf16(std::string_view bytes) {
    std::u16string out;
    if (TryUtf8ToUtf16(bytes, out))
        return out;
    out = std::u16string();  // released before the second buffer exists
    return Windows1251ToUtf16(bytes);
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
