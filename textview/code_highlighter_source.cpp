#include "textview/code_highlighter_source.h"

#include <memory>

namespace kelvara::textview {

THighlighterTokenSource::THighlighterTokenSource(highlight::TCustomHighlighter& highlighter,
                                                 std::function<void()> onFreed)
    : highlighter_(highlighter), onFreed_(std::move(onFreed)) {
    auto sentinel = std::make_shared<FreeSentinel>();
    sentinel->onFreed = [this] {
        freed_ = true;
        if (onFreed_)
            onFreed_();
    };
    sentinel_ = sentinel.get();
    highlighter_.HookAttributeChange(this,
                                     [this, sentinel](const highlight::THighlighterAttributes*) {
                                         if (listener_)
                                             listener_();
                                     });
}

THighlighterTokenSource::~THighlighterTokenSource() {
    if (freed_)
        return;
    sentinel_->onFreed = nullptr;
    highlighter_.UnhookAttributeChange(this);
}

void THighlighterTokenSource::ScanLine(std::u16string_view line, int index) {
    highlighter_.StartLine(line, index);
    highlighter_.AdvanceToLineEnd();
}

int THighlighterTokenSource::ExpandedTokenLength() {
    return static_cast<int>(highlighter_.ExpandedTokenTextView().size());
}

bool THighlighterTokenSource::CurrentTokenLook(TokenLook& look) {
    const highlight::THighlighterAttributes* attribute = highlighter_.TokenAttribute();
    if (!attribute)
        return false;
    look = TokenLook{attribute->Background(), attribute->Foreground(), attribute->Style()};
    return true;
}

highlight::ColorValue THighlighterTokenSource::WhitespaceBackground() {
    const highlight::THighlighterAttributes* blank =
        highlighter_.DefaultAttributeFor(highlight::kRoleWhitespace);
    return blank ? blank->Background() : highlight::kColorNone;
}

highlight::FontStyles THighlighterTokenSource::StylesUsed() {
    highlight::FontStyles styles = 0;
    for (int i = 0; i < highlighter_.AttributeCount(); ++i)
        if (const auto* attribute = highlighter_.AttributeAt(i))
            styles |= attribute->Style();
    return styles;
}

void THighlighterTokenSource::SetChangeListener(std::function<void()> listener) {
    listener_ = std::move(listener);
}

}  // namespace kelvara::textview
