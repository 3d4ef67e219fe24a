#include "highlight/highlighter_attributes.h"

namespace kelvara::highlight {

THighlighterAttributes::THighlighterAttributes(std::string name, std::u16string friendlyName)
    : friendlyName_(std::move(friendlyName)), name_(std::move(name)) {}

void THighlighterAttributes::Changed() {
    if (onChange_) {
        onChange_(*this);
    }
}

void THighlighterAttributes::SetBackground(ColorValue color) {
    if (color == background_) {
        return;
    }
    background_ = color;
    Changed();
}

void THighlighterAttributes::SetForeground(ColorValue color) {
    if (color == foreground_) {
        return;
    }
    foreground_ = color;
    Changed();
}

void THighlighterAttributes::SetStyle(FontStyles style) {
    style = static_cast<FontStyles>(style & kStyleMask);
    if (style == style_) {
        return;
    }
    style_ = style;
    Changed();
}

void THighlighterAttributes::TakeDefaultSnapshot() {
    backgroundDefault_ = background_;
    foregroundDefault_ = foreground_;
    styleDefault_ = style_;
}

std::vector<THighlighterAttributes::StoredProperty> THighlighterAttributes::StoredProperties()
    const {
    std::vector<StoredProperty> stored;
    if (IsBackgroundStored()) {
        stored.push_back({"Background", background_});
    }
    if (IsForegroundStored()) {
        stored.push_back({"Foreground", foreground_});
    }
    if (IsStyleStored()) {
        stored.push_back({"Style", style_});
    }
    return stored;
}

void THighlighterAttributes::Assign(const THighlighterAttributes& source) {
    if (&source == this) {
        return;
    }
    name_ = source.name_;
    const bool changed = background_ != source.background_ || foreground_ != source.foreground_ ||
                         style_ != source.style_;
    background_ = source.background_;
    foreground_ = source.foreground_;
    style_ = source.style_;
    if (changed) {
        Changed();
    }
}

}  // namespace kelvara::highlight
