#include "highlight/jscript_highlighter.h"

#include "highlight/css_jscript_scan.h"
#include "highlight/highlighter_list.h"
#include "highlight/jscript_keywords.h"

namespace kelvara::highlight {
namespace {

constexpr bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

constexpr bool IsHexLetter(char16_t c) {
    return (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
}

constexpr bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

constexpr bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

[[maybe_unused]] const bool kRegistered =
    HighlighterClasses().Add("JavaScript", [] { return std::make_unique<TJScriptHighlighter>(); });

}  // namespace

TJScriptHighlighter::TJScriptHighlighter()
    : keywords_(kJScriptBucketCount, static_cast<int>(JScriptTokenKind::Identifier)) {
    commentAttri_ = AddAttribute("Comment", u"Comment");
    commentAttri_->SetStyle(kStyleItalic);
    identifierAttri_ = AddAttribute("Identifier", u"Identifier");
    keyAttri_ = AddAttribute("ReservedWord", u"Reserved Word");
    keyAttri_->SetStyle(kStyleBold);
    nonReservedKeyAttri_ = AddAttribute("NonreservedKeyword", u"Non-reserved Keyword");
    eventAttri_ = AddAttribute("Event", u"Event");
    numberAttri_ = AddAttribute("Number", u"Number");
    spaceAttri_ = AddAttribute("Space", u"Space");
    stringAttri_ = AddAttribute("String", u"String");
    symbolAttri_ = AddAttribute("Symbol", u"Symbol");
    InstallAttributeChangeHandler();

    attributeOfKind_ = {commentAttri_,    identifierAttri_,     keyAttri_,    nullptr,
                        numberAttri_,     spaceAttri_,          stringAttri_, symbolAttri_,
                        identifierAttri_, nonReservedKeyAttri_, eventAttri_};

    const auto& buckets = JScriptBucketKeywords();
    const auto& keywords = JScriptKeywords();
    for (int bucket = 0; bucket < kJScriptBucketCount; ++bucket) {
        if (const int index = buckets[static_cast<size_t>(bucket)]; index >= 0) {
            const JScriptKeyword& keyword = keywords[static_cast<size_t>(index)];
            keywords_.Place(bucket, keyword.text, static_cast<int>(keyword.kind));
        }
    }
    SetDefaultAttribute(kRoleComment, commentAttri_);
    SetDefaultAttribute(kRoleIdentifier, identifierAttri_);
    SetDefaultAttribute(kRoleKeyword, keyAttri_);
    SetDefaultAttribute(kRoleString, stringAttri_);
    SetDefaultAttribute(kRoleWhitespace, spaceAttri_);
    SetDefaultAttribute(kRoleSymbol, symbolAttri_);
    SetLanguageFilter(kLanguageFilter);
    ClearRangeState();
}

TJScriptHighlighter::~TJScriptHighlighter() = default;

std::u16string TJScriptHighlighter::DemoText() const {
    return u"// Syntax highlighting\n"
           u"function printNumber()\n"
           u"{\n"
           u"  var number = 1234;\n"
           u"  var x;\n"
           u"  document.write(\"The number is \" + number);\n"
           u"  for (var i = 0; i <= number; i++)\n"
           u"  {\n"
           u"    x++;\n"
           u"    x--;\n"
           u"    x += 1.0;\n"
           u"  }\n"
           u"}";
}

void TJScriptHighlighter::ClearRangeState() {
    range_ = static_cast<unsigned char>(JScriptRangeState::Normal);
}

void TJScriptHighlighter::RestoreRangeState(int state) {
    range_ = static_cast<unsigned char>(state);
}

THighlighterAttributes* TJScriptHighlighter::TokenAttribute() const {
    return attributeOfKind_[static_cast<size_t>(kind_)];
}

void TJScriptHighlighter::Advance() {
    tokenPos_ = run_;
    if (range_ == static_cast<unsigned char>(JScriptRangeState::BlockComment)) {
        BlockCommentStep();
    } else {
        CharacterStep();
    }
    TCustomHighlighter::Advance();
}

int TJScriptHighlighter::AdvanceLoop() {
    return AdvanceLoopOf(*this);
}

void TJScriptHighlighter::CharacterStep() {
    const char16_t c = line_[run_];
    switch (c) {
        case 0:
            kind_ = JScriptTokenKind::Null;
            ++run_;
            return;
        case u'!':
        case u'(':
        case u')':
        case u',':
        case u':':
        case u';':
        case u'<':
        case u'=':
        case u'>':
        case u'?':
        case u'[':
        case u']':
        case u'{':
        case u'}':
        case u'~':
            OneCharacter(JScriptTokenKind::Symbol);
            return;
        case u'"':
        case u'\'':
            StringStep();
            return;
        case u'%':
        case u'*':
            SymbolWithSecond(u"=");
            return;
        case u'&':
            SymbolWithSecond(u"&=");
            return;
        case u'+':
            SymbolWithSecond(u"+=");
            return;
        case u'-':
            SymbolWithSecond(u"-=>");
            return;
        case u'|':
            SymbolWithSecond(u"|=");
            return;
        case u'.':
            kind_ = JScriptTokenKind::Symbol;
            run_ += line_[run_ + 1] == u'.' && line_[run_ + 2] == u'.' ? 3 : 1;
            return;
        case u'/':
            SlashStep();
            return;
        default:
            break;
    }
    if (c <= 32) {
        kind_ = JScriptTokenKind::Space;
        run_ = BlankRunEnd(line_, lineLength_, run_);
    } else if (IsDigit(c)) {
        NumberStep();
    } else if (IsIdentifierCode(c)) {
        IdentifierStep();
    } else {
        OneCharacter(JScriptTokenKind::Unknown);
        // A character outside the basic plane stays whole.
        if (IsHighSurrogate(c) && IsLowSurrogate(line_[run_])) {
            ++run_;
        }
    }
}

void TJScriptHighlighter::OneCharacter(JScriptTokenKind kind) {
    kind_ = kind;
    ++run_;
}

void TJScriptHighlighter::SymbolWithSecond(std::u16string_view seconds) {
    OneCharacter(JScriptTokenKind::Symbol);
    if (seconds.find(line_[run_]) != std::u16string_view::npos) {
        ++run_;
    }
}

void TJScriptHighlighter::IdentifierStep() {
    const std::uint32_t acc = MeasureWord(IsIdentifierCode, JScriptWordHash());
    kind_ = static_cast<JScriptTokenKind>(
        keywords_.KindOfMeasuredWord(static_cast<std::uint32_t>(JScriptBucketOf(acc)), *this));
    run_ += WordLength();
}

void TJScriptHighlighter::NumberStep() {
    // Digits and dots; "0x" followed by a hexadecimal digit makes the rest hexadecimal. A dot
    // that another dot follows ends the number. There is no exponent form.
    kind_ = JScriptTokenKind::Number;
    const int start = run_;
    bool hexadecimal = false;
    ++run_;
    for (;;) {
        const char16_t c = line_[run_];
        if (IsDigit(c) || (hexadecimal && IsHexLetter(c))) {
            ++run_;
        } else if (c == u'.' && line_[run_ + 1] != u'.') {
            ++run_;
        } else if ((c == u'x' || c == u'X') && run_ == start + 1 && line_[start] == u'0' &&
                   (IsDigit(line_[run_ + 1]) || IsHexLetter(line_[run_ + 1]))) {
            hexadecimal = true;
            ++run_;
        } else {
            break;
        }
    }
}

void TJScriptHighlighter::StringStep() {
    // The string ends at the first quote whose preceding character is not a backslash: an
    // escaped quote continues it, and so does the quote right after an escaped backslash.
    kind_ = JScriptTokenKind::String;
    const char16_t quote = line_[run_];
    if (line_[run_ + 1] == quote && line_[run_ + 2] == quote) {
        run_ += 2;  // three equal quotes open one string
    }
    for (;;) {
        ++run_;
        if (IsLineBreakAt(line_, lineLength_, run_))
            return;
        if (line_[run_] == quote && line_[run_ - 1] != u'\\') {
            ++run_;
            return;
        }
    }
}

void TJScriptHighlighter::SlashStep() {
    ++run_;
    switch (line_[run_]) {
        case u'*':
            kind_ = JScriptTokenKind::Comment;
            range_ = static_cast<unsigned char>(JScriptRangeState::BlockComment);
            ++run_;
            if (!IsLineBreakAt(line_, lineLength_, run_)) {
                ScanCommentBody();
            }
            return;
        case u'/':
            kind_ = JScriptTokenKind::Comment;
            while (!IsLineBreakAt(line_, lineLength_, run_)) {
                ++run_;
            }
            return;
        case u'=':
            OneCharacter(JScriptTokenKind::Symbol);
            return;
        default:
            kind_ = JScriptTokenKind::Symbol;
            return;
    }
}

void TJScriptHighlighter::BlockCommentStep() {
    if (line_[run_] == 0) {
        OneCharacter(JScriptTokenKind::Null);
        return;
    }
    kind_ = JScriptTokenKind::Comment;
    ScanCommentBody();
}

void TJScriptHighlighter::ScanCommentBody() {
    bool closed = false;
    run_ = CommentBodyEnd(line_, lineLength_, run_, closed);
    if (closed) {
        range_ = static_cast<unsigned char>(JScriptRangeState::Normal);
    }
}

}  // namespace kelvara::highlight
