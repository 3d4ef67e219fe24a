#include "highlight/custom_highlighter.h"

#include <algorithm>
#include <typeinfo>

#include "highlight/case_mapping.h"
#include "highlight/highlighter_errors.h"

namespace kelvara::highlight {
namespace {

// Position of the first attribute whose name is not less than `name`.
template <typename List>
auto LowerBoundByName(List& list, std::string_view name) {
    return std::lower_bound(list.begin(), list.end(), name,
                            [](const auto& attribute, std::string_view key) {
                                return std::string_view(attribute->Name()) < key;
                            });
}

}  // namespace

TCustomHighlighter::TCustomHighlighter() : scanned_(kLinePadding, u'\0') {
    line_ = scanned_.data();
    tokenSource_ = line_;
}

TCustomHighlighter::~TCustomHighlighter() = default;

int TCustomHighlighter::AttributeCount() const {
    return static_cast<int>(attributes_.size());
}

THighlighterAttributes* TCustomHighlighter::AttributeAt(int index) const {
    if (index < 0 || index >= AttributeCount()) {
        return nullptr;
    }
    return attributes_[static_cast<size_t>(index)].get();
}

THighlighterAttributes* TCustomHighlighter::FindAttribute(std::string_view name) const {
    auto it = LowerBoundByName(attributes_, name);
    if (it == attributes_.end() || (*it)->Name() != name) {
        return nullptr;
    }
    return it->get();
}

THighlighterAttributes* TCustomHighlighter::AddAttribute(std::string name,
                                                         std::u16string friendlyName) {
    return AddAttribute(
        std::make_unique<THighlighterAttributes>(std::move(name), std::move(friendlyName)));
}

THighlighterAttributes* TCustomHighlighter::AddAttribute(
    std::unique_ptr<THighlighterAttributes> attribute) {
    auto it = LowerBoundByName(attributes_, attribute->Name());
    if (it != attributes_.end() && (*it)->Name() == attribute->Name()) {
        throw EHighlighterError(kDuplicateAttributeText);
    }
    THighlighterAttributes* added = attribute.get();
    attributes_.insert(it, std::move(attribute));
    return added;
}

void TCustomHighlighter::InstallAttributeChangeHandler() {
    for (auto& attribute : attributes_) {
        attribute->SetOnChange(
            [this](THighlighterAttributes& changed) { AttributeChanged(changed); });
        attribute->TakeDefaultSnapshot();
    }
}

void TCustomHighlighter::AttributeChanged(const THighlighterAttributes& attribute) {
    if (loading_) {
        return;
    }
    NotifyListeners(&attribute);
}

void TCustomHighlighter::NotifyListeners(const THighlighterAttributes* changed) {
    listeners_.Fire(changed);
}

void TCustomHighlighter::SetEnabled(bool enabled) {
    if (enabled == enabled_) {
        return;
    }
    enabled_ = enabled;
    NotifyListeners(nullptr);
}

void TCustomHighlighter::EndLoading() {
    loading_ = false;
    NotifyListeners(nullptr);
}

void TCustomHighlighter::HookAttributeChange(const void* key, AttributeChangeHandler handler) {
    listeners_.Add(key, [handler = std::move(handler)](const void* sender) {
        handler(static_cast<const THighlighterAttributes*>(sender));
    });
}

void TCustomHighlighter::UnhookAttributeChange(const void* key) {
    listeners_.Remove(key);
}

bool TCustomHighlighter::AcceptsDemoTextFrom(const TCustomHighlighter& source) const {
    return typeid(source) == typeid(*this);
}

void TCustomHighlighter::Assign(const TCustomHighlighter& source) {
    if (&source == this) {
        return;
    }
    for (auto& attribute : attributes_) {
        if (const THighlighterAttributes* from = source.FindAttribute(attribute->Name())) {
            attribute->Assign(*from);
        }
    }
    if (AcceptsDemoTextFrom(source)) {
        SetDemoText(source.DemoText());
    }
    SetDefaultFilter(source.DefaultFilter());
    SetEnabled(source.Enabled());
}

// --- Scanning

void TCustomHighlighter::StoreLine(std::u16string_view line) {
    // Positions are ints; a longer line (over 2^31 characters) is cut rather than overflowing.
    const size_t length = std::min<size_t>(line.size(), 0x7FFFFFFF - kLinePadding);
    // The buffers only grow, so scanning a document allocates once per longest line.
    if (scanned_.size() < length + kLinePadding) {
        scanned_.resize(length + kLinePadding);
    }
    char16_t* scanned = scanned_.data();
    if (caseSensitive_) {
        std::copy_n(line.data(), length, scanned);
        tokenSource_ = scanned;
    } else {
        LowerCaseCopy(line.data(), length, scanned);
        if (cased_.size() < length) {
            cased_.resize(length);
        }
        std::copy_n(line.data(), length, cased_.data());
        tokenSource_ = cased_.data();
    }
    std::fill_n(scanned + length, kLinePadding, u'\0');
    line_ = scanned;
    lineLength_ = static_cast<int>(length);
}

void TCustomHighlighter::LoadLine(std::u16string_view line, int lineNumber) {
    StoreLine(line);
    run_ = 0;
    tokenPos_ = 0;
    expandedPos_ = 0;
    expandedTokenPos_ = 0;
    previousRun_ = 0;
    wordStart_ = 0;
    wordLength_ = 0;
    lineNumber_ = lineNumber;
}

void TCustomHighlighter::StartLine(std::u16string_view line, int lineNumber) {
    expanded_.clear();
    hasExpanded_ = false;
    LoadLine(line, lineNumber);
    Advance();
}

void TCustomHighlighter::StartLineExpanded(std::u16string_view line, std::u16string_view expanded,
                                           int lineNumber) {
    expanded_.assign(expanded);
    hasExpanded_ = !expanded.empty();
    LoadLine(line, lineNumber);
    Advance();
}

void TCustomHighlighter::StepExpandedPosition() {
    // Each scanned character stands for its fillers plus itself in the expanded line. An
    // expanded line shorter than the line simply ends the mapping at its end.
    const int expandedLength = static_cast<int>(expanded_.size());
    for (int i = previousRun_; i < run_ && expandedPos_ < expandedLength; ++i) {
        while (expandedPos_ < expandedLength && expanded_[expandedPos_] == kFillerChar) {
            ++expandedPos_;
        }
        if (expandedPos_ < expandedLength) {
            ++expandedPos_;
        }
    }
}

int TCustomHighlighter::AdvanceLoop() {
    int tokens = 0;
    while (!LineFinished()) {
        Advance();
        ++tokens;
    }
    return tokens;
}

std::u16string TCustomHighlighter::TokenText() const {
    return std::u16string(TokenTextView());
}

int TCustomHighlighter::ExpandedTokenStart() const {
    return hasExpanded_ ? expandedTokenPos_ : tokenPos_;
}

std::u16string_view TCustomHighlighter::ExpandedTokenTextView() const {
    if (!hasExpanded_) {
        return TokenTextView();
    }
    const int length = static_cast<int>(expanded_.size());
    const int start = std::clamp(expandedTokenPos_, 0, length);
    const int end = std::clamp(expandedPos_, start, length);
    return std::u16string_view(expanded_).substr(static_cast<size_t>(start),
                                                 static_cast<size_t>(end - start));
}

std::u16string TCustomHighlighter::ExpandedTokenText() const {
    return std::u16string(ExpandedTokenTextView());
}

bool TCustomHighlighter::TokenEquals(std::u16string_view word) const {
    if (static_cast<int>(word.size()) != wordLength_) {
        return false;
    }
    return std::equal(word.begin(), word.end(), line_ + wordStart_);
}

bool TCustomHighlighter::MeasuredWordEquals(std::string_view word) const {
    if (static_cast<int>(word.size()) != wordLength_) {
        return false;
    }
    const char16_t* text = line_ + wordStart_;
    for (size_t i = 0; i < word.size(); ++i) {
        if (text[i] != static_cast<unsigned char>(word[i])) {
            return false;
        }
    }
    return true;
}

bool TCustomHighlighter::AtLineBreak(int position) const {
    if (position < 0 || position >= lineLength_) {
        return true;
    }
    const char16_t c = line_[position];
    return c == u'\n' || c == u'\r';
}

THighlighterAttributes* TCustomHighlighter::DefaultAttributeFor(int role) const {
    return role >= 0 && role <= kRoleSymbol ? defaultAttributes_[role] : nullptr;
}

}  // namespace kelvara::highlight
