#include "highlight/case_mapping.h"

#include <cwctype>
#include <vector>

#include <locale.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kelvara::highlight {
namespace {

struct CaseTables {
    std::vector<char16_t> lower;
    std::vector<char16_t> upper;
};

bool IsSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}

locale_t OpenUtf8Locale() {
    for (const char* name : {"C.UTF-8", "C.utf8", "en_US.UTF-8"}) {
        if (locale_t locale = newlocale(LC_CTYPE_MASK, name, static_cast<locale_t>(0))) {
            return locale;
        }
    }
    return static_cast<locale_t>(0);
}

CaseTables BuildTables() {
    CaseTables tables;
    tables.lower.resize(0x10000);
    tables.upper.resize(0x10000);
    for (char32_t c = 0; c < 0x10000; ++c) {
        tables.lower[c] = static_cast<char16_t>(c);
        tables.upper[c] = static_cast<char16_t>(c);
    }
    for (char32_t c = 'A'; c <= 'Z'; ++c) {
        tables.lower[c] = static_cast<char16_t>(c + 32);
        tables.upper[c + 32] = static_cast<char16_t>(c);
    }
    locale_t locale = OpenUtf8Locale();
    if (locale == static_cast<locale_t>(0)) {
        return tables;
    }
    auto keep = [](char32_t from, wint_t to) {
        return !IsSurrogate(from) && to <= 0xFFFF && !IsSurrogate(static_cast<char32_t>(to));
    };
    for (char32_t c = 0x80; c < 0x10000; ++c) {
        const wint_t lower = towlower_l(static_cast<wint_t>(c), locale);
        const wint_t upper = towupper_l(static_cast<wint_t>(c), locale);
        if (keep(c, lower)) {
            tables.lower[c] = static_cast<char16_t>(lower);
        }
        if (keep(c, upper)) {
            tables.upper[c] = static_cast<char16_t>(upper);
        }
    }
    freelocale(locale);
    return tables;
}

const CaseTables& Tables() {
    static const CaseTables tables = BuildTables();
    return tables;
}

}  // namespace

char16_t LowerCaseChar(char16_t c) {
    return Tables().lower[c];
}
char16_t UpperCaseChar(char16_t c) {
    return Tables().upper[c];
}

void LowerCaseCopy(const char16_t* source, std::size_t count, char16_t* target) {
    const char16_t* lower = Tables().lower.data();
    std::size_t i = 0;
#if defined(__SSE2__)
    // Eight characters at a time: a block of pure ASCII (the usual case) is lower-cased with a
    // few vector operations; any other block goes through the table.
    const __m128i notAscii = _mm_set1_epi16(static_cast<short>(0xFF80));
    const __m128i beforeA = _mm_set1_epi16(u'A' - 1);
    const __m128i afterZ = _mm_set1_epi16(u'Z' + 1);
    const __m128i caseBit = _mm_set1_epi16(0x20);
    const __m128i zero = _mm_setzero_si128();
    for (; i + 8 <= count; i += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + i));
        const __m128i ascii = _mm_cmpeq_epi16(_mm_and_si128(v, notAscii), zero);
        if (_mm_movemask_epi8(ascii) == 0xFFFF) {
            // Codes below 0x80 compare correctly as signed numbers.
            const __m128i upper =
                _mm_and_si128(_mm_cmpgt_epi16(v, beforeA), _mm_cmplt_epi16(v, afterZ));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(target + i),
                             _mm_or_si128(v, _mm_and_si128(upper, caseBit)));
        } else {
            for (std::size_t j = i; j < i + 8; ++j) {
                target[j] = lower[source[j]];
            }
        }
    }
#endif
    for (; i < count; ++i) {
        target[i] = lower[source[i]];
    }
}

std::u16string LowerCased(std::u16string_view text) {
    std::u16string result(text);
    LowerCaseCopy(result.data(), result.size(), result.data());
    return result;
}

std::u16string UpperCased(std::u16string_view text) {
    const char16_t* upper = Tables().upper.data();
    std::u16string result(text);
    for (char16_t& c : result) {
        c = upper[c];
    }
    return result;
}

bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    const char16_t* lower = Tables().lower.data();
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower[a[i]] != lower[b[i]]) {
            return false;
        }
    }
    return true;
}

}  // namespace kelvara::highlight
