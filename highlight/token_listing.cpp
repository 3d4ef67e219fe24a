#include "highlight/token_listing.h"

#include <charconv>

namespace kelvara::highlight {
namespace {

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

template <typename Number>
void AppendNumber(std::string& out, Number value) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, result.ptr);
}

}  // namespace

void AppendEscapedTokenText(std::string& out, std::u16string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        switch (c) {
            case u'\t':
                out += "\\t";
                break;
            case u'\r':
                out += "\\r";
                break;
            case u'\n':
                out += "\\n";
                break;
            case u'\\':
                out += "\\\\";
                break;
            default:
                if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
                    AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) +
                                        (text[i + 1] - 0xDC00));
                    ++i;
                } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
                    AppendUtf8(out, 0xFFFD);
                } else {
                    AppendUtf8(out, c);
                }
        }
    }
}

TTokenListing::TTokenListing(TCustomHighlighter& highlighter, bool countOnly)
    : highlighter_(highlighter), countOnly_(countOnly) {}

void TTokenListing::ScanLine(std::u16string_view line, std::string& out) {
    TCustomHighlighter& h = highlighter_;
    if (lines_ == 0) {
        h.ClearRangeState();
    } else {
        h.RestoreRangeState(h.CurrentRangeState());
    }
    const int index = static_cast<int>(lines_);
    h.StartLine(line, index);
    if (countOnly_) {
        tokens_ += static_cast<std::uint64_t>(h.AdvanceToLineEnd());
        ++lines_;
        return;
    }
    for (; !h.LineFinished(); h.Advance()) {
        ++tokens_;
        const THighlighterAttributes* attribute = h.TokenAttribute();
        AppendNumber(out, index);
        out += '\t';
        AppendNumber(out, h.TokenStart());
        out += '\t';
        AppendNumber(out, h.TokenKindCode());
        out += '\t';
        out += attribute ? std::string_view(attribute->Name()) : std::string_view("-");
        out += '\t';
        AppendEscapedTokenText(out, h.TokenTextView());
        out += '\n';
    }
    out += "state\t";
    AppendNumber(out, h.CurrentRangeState());
    out += '\n';
    ++lines_;
}

}  // namespace kelvara::highlight
