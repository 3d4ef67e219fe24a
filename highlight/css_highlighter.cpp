#include "highlight/css_highlighter.h"

#include <cstdint>

#include "highlight/css_jscript_scan.h"
#include "highlight/css_keyword_hash.h"
#include "highlight/css_property_names.h"
#include "highlight/highlighter_list.h"
#include "highlight/keyword_list_walk.h"

namespace kelvara::highlight {
namespace {

constexpr ColorValue kViolet = RgbColor(128, 0, 255);
constexpr ColorValue kSkyBlue = RgbColor(0, 128, 255);

// Character classes of the scanning loops, for ASCII codes; other characters belong to none.
enum CharClass : std::uint8_t {
    kDigit = 1 << 0,
    kHexDigit = 1 << 1,
    kStopsSelector = 1 << 2,     // control characters, "/" and "{"
    kEndsValue = 1 << 3,         // ",", ";", "}", line breaks and the terminating zero
    kEndsPropertyName = 1 << 4,  // codes up to 32, double quote, ":", ";", "}"
};

constexpr std::array<std::uint8_t, 128> kCharClasses = [] {
    std::array<std::uint8_t, 128> classes{};
    auto add = [&](char16_t c, CharClass flag) { classes[c] |= flag; };
    for (char16_t c = u'0'; c <= u'9'; ++c) {
        add(c, kDigit);
        add(c, kHexDigit);
    }
    for (char16_t c = u'a'; c <= u'f'; ++c) {
        add(c, kHexDigit);
        add(static_cast<char16_t>(c - 32), kHexDigit);
    }
    for (char16_t c = 0; c < 32; ++c) {
        add(c, kStopsSelector);
    }
    add(u'/', kStopsSelector);
    add(u'{', kStopsSelector);
    for (char16_t c : u",;}\n\r") {  // the literal's own zero included
        add(c, kEndsValue);
    }
    for (char16_t c = 0; c <= 32; ++c) {
        add(c, kEndsPropertyName);
    }
    for (char16_t c : u"\":;}") {
        add(c, kEndsPropertyName);
    }
    return classes;
}();

constexpr bool Is(char16_t c, CharClass flag) {
    return c < 128 && (kCharClasses[c] & flag) != 0;
}

constexpr bool IsDigit(char16_t c) {
    return Is(c, kDigit);
}

std::u16string Widened(const char* ascii) {
    std::u16string text;
    for (; *ascii; ++ascii) {
        text.push_back(static_cast<char16_t>(static_cast<unsigned char>(*ascii)));
    }
    return text;
}

[[maybe_unused]] const bool kRegistered = HighlighterClasses().Add(
    "CascadingStyleSheet", [] { return std::make_unique<TCssHighlighter>(); });

}  // namespace

TCssHighlighter::TCssHighlighter() {
    SetCaseSensitive(false);

    commentAttri_ = AddAttribute("Comment", u"Comment");
    propertyAttri_ = AddAttribute("Property", u"Property");
    propertyAttri_->SetStyle(kStyleBold);
    keyAttri_ = AddAttribute("ReservedWord", u"Reserved Word");
    keyAttri_->SetForeground(kViolet);
    keyAttri_->SetStyle(kStyleBold);
    undefPropertyAttri_ = AddAttribute("UndefinedProperty", u"Undefined Property");
    undefPropertyAttri_->SetForeground(kViolet);
    undefPropertyAttri_->SetStyle(kStyleBold);
    spaceAttri_ = AddAttribute("Space", u"Space");
    colorAttri_ = AddAttribute("ColorValue", u"Color Value");
    numberAttri_ = AddAttribute("Number", u"Number");
    stringAttri_ = AddAttribute("String", u"String");
    symbolAttri_ = AddAttribute("Symbol", u"Symbol");
    textAttri_ = AddAttribute("Text", u"Text");
    valueAttri_ = AddAttribute("Value", u"Value");
    valueAttri_->SetForeground(kSkyBlue);
    InstallAttributeChangeHandler();

    attributeOfKind_ = {commentAttri_,       propertyAttri_, keyAttri_,    nullptr,
                        spaceAttri_,         stringAttri_,   symbolAttri_, textAttri_,
                        undefPropertyAttri_, valueAttri_,    colorAttri_,  numberAttri_};

    FillKeywordTable();
    ClearRangeState();
    SetDefaultAttribute(kRoleComment, commentAttri_);
    SetDefaultAttribute(kRoleKeyword, keyAttri_);
    SetDefaultAttribute(kRoleString, stringAttri_);
    SetDefaultAttribute(kRoleWhitespace, spaceAttri_);
    SetLanguageFilter(kLanguageFilter);
}

TCssHighlighter::~TCssHighlighter() = default;

void TCssHighlighter::FillKeywordTable() {
    ForEachKeyword(
        static_cast<int>(CssTokenKind::Property), Widened(kCssPropertyNames),
        [](char16_t c) { return IsCssIdentifierCode(c); },
        [this](std::u16string_view keyword, int kind) {
            keywords_.Put(HashCssWord(keyword).hash, std::u16string(keyword), kind);
        });
}

std::u16string TCssHighlighter::DemoText() const {
    return u"/* Syntax Highlighting */\n"
           u"body { font-family: Verdana, Arial, Helvetica, sans-serif; font-size: 8pt; }\n"
           u"H1 { font-size: 18pt; color: #000099; made-up-property: 1 }";
}

void TCssHighlighter::ClearRangeState() {
    SetRange(CssRangeState::Selector);
}

void TCssHighlighter::RestoreRangeState(int state) {
    range_ = static_cast<unsigned char>(state);
}

THighlighterAttributes* TCssHighlighter::TokenAttribute() const {
    return attributeOfKind_[static_cast<size_t>(kind_)];
}

void TCssHighlighter::Advance() {
    tokenPos_ = run_;
    switch (static_cast<CssRangeState>(range_)) {
        case CssRangeState::Comment:
            CommentStep();
            break;
        case CssRangeState::Selector:
            SelectorStep();
            break;
        default:
            CharacterStep();
            break;
    }
    TCustomHighlighter::Advance();
}

int TCssHighlighter::AdvanceLoop() {
    return AdvanceLoopOf(*this);
}

void TCssHighlighter::CharacterStep() {
    const char16_t c = line_[run_];
    switch (c) {
        case 0:
            kind_ = CssTokenKind::Null;
            ++run_;
            return;
        case u'"':
            StringStep();
            return;
        case u'#':
            ColorStep();
            return;
        case u',':
        case u':':
            Symbol(CssRangeState::Value);
            return;
        case u'-':
        case u'.':
            NumberStep();
            return;
        case u'/':
            SlashStep();
            return;
        case u';':
            Symbol(CssRangeState::AfterSemicolon);
            return;
        case u'{':
            Symbol(CssRangeState::BlockStart);
            return;
        case u'}':
            Symbol(CssRangeState::Selector);
            return;
        default:
            break;
    }
    if (c <= 32) {
        kind_ = CssTokenKind::Space;
        run_ = BlankRunEnd(line_, lineLength_, run_);
    } else if (IsDigit(c)) {
        NumberStep();
    } else {
        WordStep();
    }
}

void TCssHighlighter::Symbol(CssRangeState next) {
    kind_ = CssTokenKind::Symbol;
    SetRange(next);
    ++run_;
}

void TCssHighlighter::SelectorStep() {
    if (Is(line_[run_], kStopsSelector)) {
        CharacterStep();
        return;
    }
    kind_ = CssTokenKind::Selector;
    do {
        ++run_;
    } while (!Is(line_[run_], kStopsSelector));
}

void TCssHighlighter::WordStep() {
    if (range_ == static_cast<unsigned char>(CssRangeState::Value)) {
        // A value runs over blanks, quotes and "!" up to its terminator or the line end.
        SetRange(CssRangeState::BlockStart);
        kind_ = CssTokenKind::Value;
        for (;;) {
            const char16_t c = line_[++run_];
            // A zero character inside the line belongs to the value; the terminator ends it.
            if (Is(c, kEndsValue) && (c != 0 || run_ >= lineLength_)) {
                break;
            }
        }
        return;
    }
    // The token may reach past the hashed word ("a1b"); only the hashed word is looked up.
    kind_ = PropertyKindAtRun();
    do {
        ++run_;
    } while (!Is(line_[run_], kEndsPropertyName));
}

CssTokenKind TCssHighlighter::PropertyKindAtRun() {
    const CssWordHash word = HashCssWord(line_ + run_, line_ + lineLength_);
    SetMeasuredWord(run_, static_cast<int>(word.length));
    return static_cast<CssTokenKind>(keywords_.KindOfMeasuredWord(
        word.hash, *this, static_cast<int>(CssTokenKind::UndefinedProperty)));
}

void TCssHighlighter::NumberStep() {
    if (line_[run_] == u'-' && !IsDigit(line_[run_ + 1])) {
        WordStep();
        return;
    }
    kind_ = CssTokenKind::Number;
    ++run_;
    for (;;) {
        const char16_t c = line_[run_];
        if (IsDigit(c) || (c == u'.' && line_[run_ + 1] != u'.')) {
            ++run_;
        } else {
            break;
        }
    }
}

void TCssHighlighter::ColorStep() {
    kind_ = CssTokenKind::Color;
    ++run_;
    while (Is(line_[run_], kHexDigit)) {
        ++run_;
    }
}

void TCssHighlighter::StringStep() {
    kind_ = CssTokenKind::String;
    ++run_;
    while (!IsLineBreakAt(line_, lineLength_, run_)) {
        if (line_[run_++] == u'"') {
            break;
        }
    }
}

void TCssHighlighter::SlashStep() {
    ++run_;
    if (line_[run_] != u'*') {
        kind_ = CssTokenKind::Symbol;
        return;
    }
    kind_ = CssTokenKind::Comment;
    savedRange_ = range_;
    SetRange(CssRangeState::Comment);
    ++run_;
    if (!IsLineBreakAt(line_, lineLength_, run_)) {
        ScanCommentBody();
    }
}

void TCssHighlighter::CommentStep() {
    if (line_[run_] == 0) {
        kind_ = CssTokenKind::Null;
        ++run_;
        return;
    }
    kind_ = CssTokenKind::Comment;
    ScanCommentBody();
}

void TCssHighlighter::ScanCommentBody() {
    bool closed = false;
    run_ = CommentBodyEnd(line_, lineLength_, run_, closed);
    if (closed) {
        range_ = savedRange_;
    }
}

}  // namespace kelvara::highlight
