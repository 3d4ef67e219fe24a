#include "highlight/case_mapping.h"

#include <cwctype>
#include <vector>

#include <locale.h>

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
    // Blocks of pure ASCII (the usual case) take a branch-free form the compiler vectorises;
    // others go through the table.
    constexpr std::size_t kBlock = 16;
    std::size_t i = 0;
    for (; i + kBlock <= count; i += kBlock) {
        char16_t any = 0;
        for (std::size_t j = 0; j < kBlock; ++j) {
            any |= source[i + j];
        }
        if (any < 0x80) {
            for (std::size_t j = 0; j < kBlock; ++j) {
                const char16_t c = source[i + j];
                const bool upper = static_cast<char16_t>(c - u'A') < 26;
                target[i + j] = static_cast<char16_t>(c | (upper ? 0x20 : 0));
            }
        } else {
            for (std::size_t j = 0; j < kBlock; ++j) {
                target[i + j] = lower[source[i + j]];
            }
        }
    }
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
