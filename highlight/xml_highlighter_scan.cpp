// The XML scanner's state machine: one token per Advance.
#include <string_view>

#include "highlight/xml_highlighter.h"
#include "highlight/xml_markup_scan.h"

namespace kelvara::highlight {

using K = XmlTokenKind;
using S = XmlRangeState;

void TXmlHighlighter::Advance() {
    ScanUntilConsumed(tokenPos_, run_, lineLength_, range_, kind_, K::Text,
                      [this] { ScanToken(); });
    TCustomHighlighter::Advance();
}

int TXmlHighlighter::AdvanceLoop() {
    return AdvanceLoopOf(*this);
}

void TXmlHighlighter::ScanToken() {
    switch (range_) {
        case S::CData:
            ClosedByPairStep(K::CData, u']');
            break;
        case S::Comment:
            CommentStep();
            break;
        case S::ProcessingInstruction:
            ClosedByPairStep(K::ProcessingInstruction, u'?');
            break;
        case S::Text:
            TextStep();
            break;
        case S::DocType:
        case S::DocTypeBrackets:
            DocTypeStep();
            break;
        default:
            CharacterStep();
            break;
    }
}

bool TXmlHighlighter::AtLineEnd() const {
    return IsMarkupLineEnd(line_[run_]);
}

void TXmlHighlighter::CharacterStep() {
    const char16_t c = line_[run_];
    switch (c) {
        case 0:
            kind_ = K::Null;
            ++run_;
            break;
        case u'\n':
        case u'\r':
            kind_ = K::Space;
            run_ = MarkupLineBreakEnd(line_, run_);
            break;
        case u'<':
            TagOpening();
            break;
        case u'>':
            kind_ = K::Symbol;
            range_ = S::Text;
            ++run_;
            break;
        default:
            if (c <= 32) {
                kind_ = K::Space;
                run_ = MarkupBlankRunEnd(line_, run_);
            } else {
                StateStep();
            }
            break;
    }
}

void TXmlHighlighter::TagOpening() {
    ++run_;
    if (line_[run_] == u'/') {
        ++run_;
    }
    kind_ = K::Symbol;
    range_ = S::ElementName;
    if (line_[run_] == u'!') {
        ++run_;
        if (MarkupLooksAt(line_, run_, "--")) {
            run_ += 2;
            range_ = S::Comment;
        } else if (MarkupLooksAt(line_, run_, "DOCTYPE")) {
            run_ += 7;
            kind_ = K::DocType;
            range_ = S::DocType;
        } else if (MarkupLooksAt(line_, run_, "[CDATA[")) {
            run_ += 7;
            kind_ = K::CData;
            range_ = S::CData;
        }
    } else if (line_[run_] == u'?') {
        ++run_;
        kind_ = K::ProcessingInstruction;
        range_ = S::ProcessingInstruction;
    }
}

void TXmlHighlighter::StateStep() {
    switch (range_) {
        case S::ElementName:
            ElementNameStep();
            break;
        case S::Attribute:
            AttributeNameStep();
            break;
        case S::EqualsSign:
            AfterNameStep(false);
            break;
        case S::NsEqualsSign:
            AfterNameStep(true);
            break;
        case S::QuotValue:
            QuotedValueStep(u'"', K::QuotValue, S::QuotEntityRef);
            break;
        case S::NsQuotValue:
            QuotedValueStep(u'"', K::NsQuotValue, S::NsQuotEntityRef);
            break;
        case S::AposValue:
            QuotedValueStep(u'\'', K::AposValue, S::AposEntityRef);
            break;
        case S::NsAposValue:
            QuotedValueStep(u'\'', K::NsAposValue, S::NsAposEntityRef);
            break;
        case S::QuotEntityRef:
            EntityRefStep(K::QuotEntityRef, S::QuotValue);
            break;
        case S::NsQuotEntityRef:
            EntityRefStep(K::NsQuotEntityRef, S::NsQuotValue);
            break;
        case S::AposEntityRef:
            EntityRefStep(K::AposEntityRef, S::AposValue);
            break;
        case S::NsAposEntityRef:
            EntityRefStep(K::NsAposEntityRef, S::NsAposValue);
            break;
        case S::EntityRef:
            EntityRefStep(K::EntityRef, S::Text);
            break;
        default:
            // The states with steps of their own never get here; one character of text keeps
            // the scan going should that change.
            kind_ = K::Text;
            ++run_;
            break;
    }
}

void TXmlHighlighter::ElementNameStep() {
    if (line_[run_] == u'/') {
        ++run_;
    }
    while (IsXmlNameCode(line_[run_])) {
        ++run_;
    }
    kind_ = K::ElementName;
    range_ = S::Attribute;
}

void TXmlHighlighter::AttributeNameStep() {
    const char16_t c = line_[run_];
    if (c == u'"' || c == u'\'') {
        // The closing quote of the value before.
        kind_ = K::Symbol;
        ++run_;
        return;
    }
    while (IsXmlNameCode(line_[run_])) {
        ++run_;
    }
    const std::u16string_view name(line_ + tokenPos_, static_cast<size_t>(run_ - tokenPos_));
    if (name.find(u"xmlns") != std::u16string_view::npos) {
        kind_ = K::NsAttributeName;
        range_ = S::NsEqualsSign;
    } else {
        kind_ = K::AttributeName;
        range_ = S::EqualsSign;
    }
}

void TXmlHighlighter::AfterNameStep(bool isNamespace) {
    kind_ = isNamespace ? K::NsEqualsSymbol : K::EqualsSymbol;
    while (!AtLineEnd()) {
        const char16_t c = line_[run_++];
        if (c == u'/') {
            kind_ = K::Symbol;
            range_ = S::ElementName;
            return;
        }
        if (c == u'"') {
            range_ = isNamespace ? S::NsQuotValue : S::QuotValue;
            return;
        }
        if (c == u'\'') {
            range_ = isNamespace ? S::NsAposValue : S::AposValue;
            return;
        }
    }
}

void TXmlHighlighter::QuotedValueStep(char16_t quote, XmlTokenKind kind, XmlRangeState atEntity) {
    kind_ = kind;
    for (char16_t c = line_[run_]; !IsMarkupLineEnd(c); c = line_[run_]) {
        if (c == u'&') {
            range_ = atEntity;
            return;
        }
        if (c == quote) {
            // The quote itself is left for the attribute step, which makes it a symbol.
            range_ = S::Attribute;
            return;
        }
        ++run_;
    }
}

void TXmlHighlighter::EntityRefStep(XmlTokenKind kind, XmlRangeState back) {
    kind_ = kind;
    while (line_[run_] > 32 && line_[run_] != u';') {
        ++run_;
    }
    if (line_[run_] == u';') {
        ++run_;
    }
    range_ = back;
}

void TXmlHighlighter::TextStep() {
    const char16_t first = line_[run_];
    if (first < 32 || first == u'<') {
        CharacterStep();
        return;
    }
    kind_ = K::Text;
    char16_t c = first;
    while (c >= 32 && c != u'<' && c != u'&') {
        c = line_[++run_];
    }
    if (c == u'&') {
        range_ = S::EntityRef;
    }
}

void TXmlHighlighter::CommentStep() {
    if (MarkupLooksAt(line_, run_, "-->")) {
        kind_ = K::Symbol;
        run_ += 3;
        range_ = S::Text;
        return;
    }
    if (AtLineEnd()) {
        CharacterStep();
        return;
    }
    kind_ = K::Comment;
    while (!AtLineEnd() && !MarkupLooksAt(line_, run_, "-->")) {
        ++run_;
    }
}

// Processing instructions end at "?>", CDATA sections at "]>": the ">" is included and the
// character before it may already belong to an earlier token of the line.
void TXmlHighlighter::ClosedByPairStep(XmlTokenKind kind, char16_t before) {
    if (AtLineEnd()) {
        CharacterStep();
        return;
    }
    kind_ = kind;
    while (!AtLineEnd()) {
        const char16_t c = line_[run_++];
        if (c == u'>' && run_ >= 2 && line_[run_ - 2] == before) {
            range_ = S::Text;
            return;
        }
    }
}

void TXmlHighlighter::DocTypeStep() {
    if (AtLineEnd()) {
        CharacterStep();
        return;
    }
    kind_ = K::DocType;
    if (range_ == S::DocTypeBrackets) {
        while (!AtLineEnd()) {
            if (line_[run_++] == u']') {
                range_ = S::DocType;
                return;
            }
        }
        return;
    }
    while (!AtLineEnd()) {
        const char16_t c = line_[run_++];
        if (c == u'>') {
            range_ = S::Text;
            return;
        }
        if (c == u'[') {
            for (;;) {
                if (AtLineEnd()) {
                    range_ = S::DocTypeBrackets;
                    return;
                }
                if (line_[run_++] == u']') {
                    return;
                }
            }
        }
    }
}

}  // namespace kelvara::highlight
