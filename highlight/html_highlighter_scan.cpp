// The HTML scanner's state machine: one token per Advance.
#include "highlight/html_entities.h"
#include "highlight/html_highlighter.h"
#include "highlight/html_tag_names.h"
#include "highlight/xml_markup_scan.h"

namespace kelvara::highlight {

using K = HtmlTokenKind;
using S = HtmlRangeState;

void THtmlHighlighter::Advance() {
    ScanUntilConsumed(tokenPos_, run_, lineLength_, range_, kind_, K::Text,
                      [this] { ScanToken(); });
    TCustomHighlighter::Advance();
}

int THtmlHighlighter::AdvanceLoop() {
    return AdvanceLoopOf(*this);
}

void THtmlHighlighter::ScanToken() {
    if (range_ == S::Text) {
        TextStep();
    } else if (range_ == S::Comment) {
        CommentStep();
    } else if ((range_ == S::SingleQuoted || range_ == S::DoubleQuoted) &&
               !IsMarkupLineEnd(line_[run_])) {
        QuotedValueStep();
    } else {
        CharacterStep();
    }
}

void THtmlHighlighter::CharacterStep() {
    // Printable characters first: they start most tokens inside tags.
    const char16_t c = line_[run_];
    if (c > 32) {
        if (c == u'<') {
            ++run_;
            if (MarkupLooksAt(line_, run_, "!--")) {
                run_ += 3;
                kind_ = K::Comment;
                range_ = S::Comment;
            } else {
                kind_ = K::Symbol;
                range_ = S::TagName;
            }
        } else if (c == u'>') {
            kind_ = K::Symbol;
            range_ = S::Text;
            ++run_;
        } else if (c == u'=') {
            kind_ = K::Symbol;
            range_ = S::Value;
            ++run_;
        } else if (c == u'"' || c == u'\'') {
            QuotedValueStep();
        } else if (c == u'&') {
            EntityStep();
        } else {
            WordStep();
        }
    } else if (c == 0) {
        kind_ = K::Null;
        ++run_;
    } else if (c == u'\n' || c == u'\r') {
        kind_ = K::Space;
        run_ = MarkupLineBreakEnd(line_, run_);
    } else {
        kind_ = K::Space;
        run_ = MarkupBlankRunEnd(line_, run_);
    }
}

void THtmlHighlighter::WordStep() {
    if (range_ == S::TagName) {
        range_ = S::Tag;
        const std::uint32_t acc =
            MeasureWord([](char16_t c) { return IsHtmlTagNameChar(c); },
                        [](std::uint32_t a, char16_t c) { return HtmlTagHashStep(a, c); });
        kind_ = static_cast<K>(
            tagNames_.KindOfMeasuredWord(static_cast<std::uint32_t>(HtmlTagBucketOf(acc)), *this));
        run_ += WordLength();
        return;
    }
    if (range_ == S::Value) {
        // An unquoted value runs to the next blank or ">".
        range_ = S::Tag;
        kind_ = K::Value;
        ++run_;
        while (line_[run_] > 32 && line_[run_] != u'>') {
            ++run_;
        }
        return;
    }
    kind_ = K::Identifier;
    ++run_;
    for (char16_t c = line_[run_]; c > 32 && c != u'"' && c != u'=' && c != u'>'; c = line_[run_]) {
        ++run_;
    }
}

void THtmlHighlighter::QuotedValueStep() {
    char16_t quote;
    if (range_ == S::SingleQuoted) {
        quote = u'\'';
    } else if (range_ == S::DoubleQuoted) {
        quote = u'"';
    } else {
        quote = line_[run_];
        if (range_ != S::Value) {
            // A quote outside a value position starts an identifier.
            WordStep();
            return;
        }
        range_ = quote == u'"' ? S::DoubleQuoted : S::SingleQuoted;
        ++run_;
    }
    kind_ = K::Value;
    while (!IsMarkupLineEnd(line_[run_])) {
        if (line_[run_++] == quote) {
            range_ = S::Tag;
            return;
        }
    }
}

void THtmlHighlighter::CommentStep() {
    if (IsMarkupLineEnd(line_[run_])) {
        CharacterStep();
        return;
    }
    kind_ = K::Comment;
    while (!IsMarkupLineEnd(line_[run_])) {
        const int at = run_++;
        // The two dashes may belong to the opener, so "<!-->" is a whole comment; they never
        // reach back before the line's start.
        if (line_[at] == u'>' && at >= 2 && line_[at - 1] == u'-' && line_[at - 2] == u'-') {
            range_ = S::Text;
            return;
        }
    }
}

int THtmlHighlighter::CharacterReferenceEnd(int position) const {
    position += 2;  // "&#"
    if (line_[position] == u'x' || line_[position] == u'X') {
        ++position;
        while (IsHexDigit(line_[position])) {
            ++position;
        }
    } else {
        while (IsDecimalDigit(line_[position])) {
            ++position;
        }
    }
    return position;
}

void THtmlHighlighter::TextStep() {
    const char16_t first = line_[run_];
    if (first < 32 || first == u'<') {
        CharacterStep();
        return;
    }
    kind_ = K::Text;
    int at = run_;  // kept local so the loop needs no store per character
    for (;;) {
        const char16_t c = line_[at];
        if (c < 32 || c == u'<') {
            break;
        }
        if (c == u'&') {
            if (line_[at + 1] == u'#') {
                const int end = CharacterReferenceEnd(at);
                if (line_[end] == u';') {
                    range_ = S::Entity;  // the reference becomes the next token
                } else {
                    at = end;  // not terminated: it stays text, and the token ends here
                }
                break;
            }
            const int entity = FindHtmlEntity(line_ + at);
            if (entity >= 0) {
                entityCode_ = entity;
                range_ = S::Entity;
                break;
            }
        }
        ++at;
    }
    run_ = at;
}

void THtmlHighlighter::EntityStep() {
    if (range_ == S::Entity) {
        if (entityCode_ >= 0 && entityCode_ < kHtmlEntityCount) {
            kind_ = K::Entity;
            run_ += static_cast<int>(HtmlEntities()[entityCode_].size());
        } else if (line_[run_ + 1] == u'#') {
            run_ = CharacterReferenceEnd(run_);
            if (line_[run_] == u';') {
                ++run_;
                kind_ = K::Entity;
            } else {
                kind_ = K::Text;
            }
        }
        // Otherwise no token is made here; the text step takes the "&" next.
        entityCode_ = -1;
        range_ = S::Text;
        return;
    }
    if (range_ == S::TagName) {
        kind_ = K::Text;
        ++run_;
        range_ = S::Text;
        return;
    }
    WordStep();
}

}  // namespace kelvara::highlight
