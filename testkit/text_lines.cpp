#include "testkit/text_lines.h"

namespace kelvara::test {

std::u16string Widen(std::string_view ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

std::vector<std::u16string> SplitLines(std::u16string_view text) {
    std::vector<std::u16string> lines(1);
    for (char16_t c : text) {
        if (c == u'\n') {
            lines.emplace_back();
        } else {
            lines.back() += c;
        }
    }
    return lines;
}

std::vector<std::u16string> SplitLines(std::string_view ascii) {
    std::vector<std::u16string> lines(1);
    for (char c : ascii) {
        if (c == '\n') {
            lines.emplace_back();
        } else {
            lines.back() += static_cast<char16_t>(c);
        }
    }
    return lines;
}

std::u16string RandomLine(std::mt19937& random, std::u16string_view alphabet, size_t maxLength) {
    std::uniform_int_distribution<size_t> length(0, maxLength);
    std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
    std::u16string line(length(random), u' ');
    for (char16_t& c : line)
        c = alphabet[pick(random)];
    return line;
}

}  // namespace kelvara::test
