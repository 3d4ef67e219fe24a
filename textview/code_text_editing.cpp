#include "textview/code_text_editing.h"

#include <algorithm>

namespace kelvara::textview {
namespace {

std::vector<std::u16string> SplitAtBreaks(std::u16string_view text) {
    std::vector<std::u16string> parts(1);
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            parts.emplace_back();
        } else {
            parts.back().push_back(c);
        }
    }
    return parts;
}

TextPosition Clamped(const TCodeLineList& lines, TextPosition p) {
    if (lines.Empty())
        return {0, 0};
    p.line = std::clamp(p.line, 0, lines.Count() - 1);
    p.chr = std::clamp(p.chr, 0, static_cast<int>(lines.Line(p.line).size()));
    return p;
}

}  // namespace

TextPosition InsertTextAt(TCodeLineList& lines, TextPosition at, std::u16string_view text) {
    lines.BeginUpdate();
    if (lines.Empty())
        lines.Add(u"");
    at.line = std::clamp(at.line, 0, lines.Count() - 1);
    std::u16string line(lines.Line(at.line));
    if (at.chr > static_cast<int>(line.size()))
        line.resize(static_cast<size_t>(at.chr), u' ');
    at.chr = std::max(at.chr, 0);
    const std::u16string tail = line.substr(static_cast<size_t>(at.chr));
    line.resize(static_cast<size_t>(at.chr));

    std::vector<std::u16string> parts = SplitAtBreaks(text);
    TextPosition end{at.line + static_cast<int>(parts.size()) - 1,
                     static_cast<int>(parts.back().size())};
    if (parts.size() == 1)
        end.chr += at.chr;
    parts.front() = line + parts.front();
    parts.back() += tail;
    lines.Put(at.line, parts.front());
    if (parts.size() > 1)
        lines.InsertLines(at.line + 1, std::vector<std::u16string>(parts.begin() + 1, parts.end()));
    lines.EndUpdate();
    return end;
}

std::u16string TextBetween(const TCodeLineList& lines, TextPosition a, TextPosition b) {
    if (lines.Empty())
        return {};
    if (b < a)
        std::swap(a, b);
    a = Clamped(lines, a);
    b = Clamped(lines, b);
    if (a.line == b.line)
        return std::u16string(lines.Line(a.line).substr(a.chr, b.chr - a.chr));
    std::u16string out(lines.Line(a.line).substr(a.chr));
    for (int i = a.line + 1; i < b.line; ++i) {
        out += u'\n';
        out.append(lines.Line(i));
    }
    out += u'\n';
    out.append(lines.Line(b.line).substr(0, b.chr));
    return out;
}

void DeleteBetween(TCodeLineList& lines, TextPosition a, TextPosition b) {
    if (lines.Empty())
        return;
    if (b < a)
        std::swap(a, b);
    a = Clamped(lines, a);
    b = Clamped(lines, b);
    if (a == b)
        return;
    lines.BeginUpdate();
    std::u16string joined(lines.Line(a.line).substr(0, a.chr));
    joined.append(lines.Line(b.line).substr(b.chr));
    lines.Put(a.line, joined);
    if (b.line > a.line)
        lines.DeleteLines(a.line + 1, b.line - a.line);
    lines.EndUpdate();
}

TUndoList::Item TUndoList::Pop() {
    Item item = std::move(items_.back());
    items_.pop_back();
    return item;
}

}  // namespace kelvara::textview
