// TCustomHighlighter: the base of every syntax highlighter. A highlighter cuts one line at a
// time into tokens; what it must carry from one line to the next (inside a comment, a tag, a
// string) is a small integer, the range state, which the caller stores per line.
//
// How a caller scans (the text view does exactly this):
//     h.ClearRangeState();                        // before line 0
//     h.RestoreRangeState(stateOfPreviousLine);   // before any later line
//     h.StartLine(text, lineIndex);               // the first token is already scanned
//     while (!h.LineFinished()) {
//         TokenStart(), TokenTextView(), TokenKindCode(), TokenAttribute() ...
//         h.Advance();
//     }
//     stateOfThisLine = h.CurrentRangeState();
//
// How a derived highlighter is written:
//  * Constructor: call SetCaseSensitive(false) if keywords match in any letter case (the
//    scanned text line_ is then a lower-case copy; TokenText still returns the document's
//    letters). Create each attribute and register it:
//        commentAttri_ = AddAttribute("Comment", u"Comment");
//        commentAttri_->SetStyle(kStyleItalic);
//    then call InstallAttributeChangeHandler() once, after all colours and styles are set: it
//    routes attribute changes to the listeners and takes the default snapshot. Set the start
//    state and SetDefaultFilter(...).
//  * Advance() is the state machine step. It scans exactly one token:
//        void TMyHighlighter::Advance() {
//            tokenPos_ = run_;
//            switch (line_[run_]) {
//                case 0: kind_ = kNull; ++run_; break;    // the terminating zero
//                ...
//            }
//            TCustomHighlighter::Advance();             // the base step, always last
//        }
//    line_ is zero-terminated (line_[lineLength_] == 0, and a few more zeros follow, so looking
//    up to kLinePadding characters ahead of the terminator is safe). The token is
//    [tokenPos_, run_). The last token of every line is the terminating zero, after which
//    run_ == lineLength_ + 1 and LineFinished() is true. Every Advance must move run_ by at
//    least one character (or loop internally until it does).
//  * Register the role attributes with SetDefaultAttribute() and the file filter with
//    SetLanguageFilter(). Override TokenKindCode(), TokenAttribute(), CurrentRangeState(),
//    RestoreRangeState(), ClearRangeState() and the language names.
//  * For keyword look-ups, MeasureWord() walks the word at run_ (recording WordStart() and
//    WordLength()) and TokenEquals()/MeasuredWordEquals() compare it with a keyword. See
//    keyword_buckets.h and hash_entry_list.h for the two keyword-table shapes.
//  * Use the static character classes (IsIdentifierCode...) in scanning loops: they are inline
//    and not virtual.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "highlight/color_values.h"
#include "highlight/highlighter_attributes.h"
#include "highlight/notify_event_chain.h"

namespace kelvara::highlight {

// The roles DefaultAttributeFor answers for.
enum AttributeRole : int {
    kRoleComment = 0,
    kRoleIdentifier = 1,
    kRoleKeyword = 2,
    kRoleString = 3,
    kRoleWhitespace = 4,
    kRoleSymbol = 5,
};

class TCustomHighlighter {
  public:
    // Called with the attribute that changed, or nullptr for a change of the whole highlighter
    // (Enabled, end of loading).
    using AttributeChangeHandler = std::function<void(const THighlighterAttributes* changed)>;

    // Zero characters that follow every loaded line (the terminator included).
    static constexpr int kLinePadding = 8;
    static constexpr char16_t kFillerChar = 0xE000;  // precedes a wide glyph in expanded lines

    TCustomHighlighter();
    virtual ~TCustomHighlighter();
    TCustomHighlighter(const TCustomHighlighter&) = delete;
    TCustomHighlighter& operator=(const TCustomHighlighter&) = delete;

    // --- Attributes: the list is sorted by Name.
    virtual int AttributeCount() const;
    // nullptr for an index outside 0..AttributeCount()-1.
    virtual THighlighterAttributes* AttributeAt(int index) const;
    // One of AttributeRole; nullptr when the highlighter has none for it.
    // The attribute registered for a role with SetDefaultAttribute, or nullptr.
    virtual THighlighterAttributes* DefaultAttributeFor(int role) const;
    // The attribute of that exact name, or nullptr.
    THighlighterAttributes* FindAttribute(std::string_view name) const;

    // --- Language and presentation.
    virtual std::string DefaultFilter() const { return defaultFilter_; }
    virtual void SetDefaultFilter(std::string filter) { defaultFilter_ = std::move(filter); }
    // Whether saved settings need to hold the filter (derived classes: only when it differs
    // from the language's own).
    // Stored when it differs from the language's own filter (always, without one).
    virtual bool IsDefaultFilterStored() const {
        return !hasLanguageFilter_ || defaultFilter_ != languageFilter_;
    }
    virtual std::u16string DemoText() const { return {}; }
    virtual void SetDemoText(const std::u16string&) {}
    virtual unsigned CapabilitySet() const { return 1u << 1; }
    virtual std::u16string DisplayLanguageName() const { return u"<Unknown>"; }
    virtual std::string InternalLanguageName() const { return "<Unknown>"; }
    virtual std::u16string KeywordListOf(int /*kind*/) const { return {}; }
    virtual bool IsKeywordText(std::u16string_view /*word*/) const { return false; }
    virtual bool ApplyUserSetting(int /*index*/) { return false; }
    virtual void ListUserSettings(std::vector<std::string>& settings) const { settings.clear(); }

    bool Enabled() const { return enabled_; }
    // A real change notifies the listeners (with no sender).
    void SetEnabled(bool enabled);
    bool IsCaseSensitive() const { return caseSensitive_; }

    // --- The scanning contract.
    // The line is copied; it need not be zero-terminated and may hold zero characters.
    virtual void StartLine(std::u16string_view line, int lineNumber);
    // `expanded` is the line as displayed: each wide glyph preceded by kFillerChar characters
    // (one per extra cell). A tab expanded over several cells must be written the same way:
    // fillers, then one blank, so that every line character maps to one displayed character.
    virtual void StartLineExpanded(std::u16string_view line, std::u16string_view expanded,
                                   int lineNumber);
    // Scans the next token. Derived classes scan, then call TCustomHighlighter::Advance().
    virtual void Advance();
    // True once the terminating zero has been scanned.
    virtual bool LineFinished() const { return run_ > lineLength_; }
    // Calls Advance until LineFinished; returns the number of calls, which is the number of
    // tokens the scanning loop below would have read.
    int AdvanceToLineEnd() { return AdvanceLoop(); }

    virtual void ClearRangeState() {}
    virtual void RestoreRangeState(int /*state*/) {}
    virtual int CurrentRangeState() const { return 0; }

    virtual int TokenStart() const { return tokenPos_; }
    virtual std::u16string TokenText() const;
    virtual int ExpandedTokenStart() const;
    virtual std::u16string ExpandedTokenText() const;
    virtual int TokenKindCode() const = 0;
    // nullptr for tokens painted in the view's own colours (the end-of-line token).
    virtual THighlighterAttributes* TokenAttribute() const = 0;

    // The same texts without a copy; valid until the next StartLine.
    std::u16string_view TokenTextView() const {
        // The end-of-line token stands past the line; its text is empty.
        const int end = run_ < lineLength_ ? run_ : lineLength_;
        const int start = tokenPos_ < 0 ? 0 : (tokenPos_ < end ? tokenPos_ : end);
        return std::u16string_view(tokenSource_ + start, static_cast<size_t>(end - start));
    }
    std::u16string_view ExpandedTokenTextView() const;
    int LineNumber() const { return lineNumber_; }
    int LineLength() const { return lineLength_; }
    int RunPosition() const { return run_; }

    // True when `word` has the length last measured by MeasureWord and equals the scanned text
    // at the measured word's start (exact comparison; in a case-insensitive highlighter the
    // scanned text is lower case).
    virtual bool TokenEquals(std::u16string_view word) const;
    // The same for an ASCII keyword.
    bool MeasuredWordEquals(std::string_view word) const;
    int WordStart() const { return wordStart_; }
    int WordLength() const { return wordLength_; }

    // True at or beyond the line end and on LF or CR.
    virtual bool AtLineBreak(int position) const;

    // --- Character classes.
    virtual bool IsIdentifierChar(char16_t c) const { return IsIdentifierCode(c); }
    virtual bool IsBlankChar(char16_t c) const { return IsBlankCode(c); }
    virtual bool IsWordSeparator(char16_t c) const { return IsWordSeparatorCode(c); }
    // '0'..'9', 'A'..'Z', '_', 'a'..'z'.
    static constexpr bool IsIdentifierCode(char16_t c) {
        return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || c == u'_' ||
               (c >= u'a' && c <= u'z');
    }
    // Codes 0..47, 58..64, 91..94, 96, 123..126, 167, 176 and 180.
    static constexpr bool IsWordSeparatorCode(char16_t c) {
        return c <= 47 || (c >= 58 && c <= 64) || (c >= 91 && c <= 94) || c == 96 ||
               (c >= 123 && c <= 126) || c == 167 || c == 176 || c == 180;
    }
    // Codes 0..32, and anything that is neither an identifier character nor a word separator.
    static constexpr bool IsBlankCode(char16_t c) {
        return c <= 32 || (!IsIdentifierCode(c) && !IsWordSeparatorCode(c));
    }

    // --- Change notification.
    // Registers a listener under `key` (e.g. the view's address); a second hook with the same
    // key replaces the first.
    void HookAttributeChange(const void* key, AttributeChangeHandler handler);
    void UnhookAttributeChange(const void* key);
    // While loading saved settings, attribute changes notify nobody; EndLoading notifies the
    // listeners once (with no sender).
    void BeginLoading() { loading_ = true; }
    void EndLoading();
    bool IsLoading() const { return loading_; }

    // Copies from another highlighter: each own attribute takes the values of the source's
    // attribute of the same name; the demo text when AcceptsDemoTextFrom(source); then the
    // filter and Enabled.
    virtual void Assign(const TCustomHighlighter& source);

  protected:
    // Creates an attribute owned by this highlighter and inserts it into the sorted list.
    // Throws EHighlighterError(kDuplicateAttributeText) for a name already in the list.
    THighlighterAttributes* AddAttribute(std::string name, std::u16string friendlyName);
    THighlighterAttributes* AddAttribute(std::unique_ptr<THighlighterAttributes> attribute);
    // Routes every attribute's changes to the listeners and takes each one's default snapshot.
    void InstallAttributeChangeHandler();
    // By default, only a source of the very same class passes on its demo text.
    virtual bool AcceptsDemoTextFrom(const TCustomHighlighter& source) const;

    void SetCaseSensitive(bool caseSensitive) { caseSensitive_ = caseSensitive; }
    // The language's own file filter: it becomes the default filter, which is then stored only
    // when changed.
    void SetLanguageFilter(std::string filter) {
        languageFilter_ = filter;
        hasLanguageFilter_ = true;
        defaultFilter_ = std::move(filter);
    }
    // The attribute DefaultAttributeFor answers for a role.
    void SetDefaultAttribute(AttributeRole role, THighlighterAttributes* attribute) {
        defaultAttributes_[role] = attribute;
    }

    // Stores the line (lower-cased copy when case-insensitive), resets the positions and stores
    // the line number. Does not scan.
    virtual void LoadLine(std::u16string_view line, int lineNumber);

    // The loop of AdvanceToLineEnd. The base calls Advance through the virtual table for every
    // token; a final highlighter class overrides it with `return AdvanceLoopOf(*this);`, which
    // calls its own Advance directly so that the compiler can inline it into the loop.
    virtual int AdvanceLoop();
    template <class Highlighter>
    static int AdvanceLoopOf(Highlighter& highlighter) {
        static_assert(std::is_final_v<Highlighter>, "a derived class could replace Advance");
        int tokens = 0;
        while (!highlighter.LineFinished()) {
            highlighter.Advance();
            ++tokens;
        }
        return tokens;
    }

    // Walks the word at run_ while isWordChar(c) holds, combining each character into a 32-bit
    // accumulator with acc = step(acc, c) (wrapping); records WordStart()/WordLength() and
    // returns the accumulator. run_ does not move. isWordChar(0) must be false.
    template <typename IsWordChar, typename Step>
    std::uint32_t MeasureWord(IsWordChar isWordChar, Step step) {
        const char16_t* begin = line_ + run_;
        const char16_t* p = begin;
        std::uint32_t acc = 0;
        while (isWordChar(*p)) {
            acc = step(acc, *p);
            ++p;
        }
        SetMeasuredWord(run_, static_cast<int>(p - begin));
        return acc;
    }
    void SetMeasuredWord(int start, int length) {
        wordStart_ = start;
        wordLength_ = length;
    }

    // The scanned text (lower-cased in a case-insensitive highlighter), zero-terminated and
    // followed by kLinePadding zeros in all; never null.
    const char16_t* line_;
    int lineLength_ = 0;
    int run_ = 0;       // index of the next character to scan
    int tokenPos_ = 0;  // start of the current token
    int lineNumber_ = 0;

  private:
    void AttributeChanged(const THighlighterAttributes& attribute);
    void NotifyListeners(const THighlighterAttributes* changed);
    void StoreLine(std::u16string_view line);
    void StepExpandedPosition();

    std::vector<std::unique_ptr<THighlighterAttributes>> attributes_;  // sorted by Name
    TNotifyEventChain listeners_;
    std::string defaultFilter_;
    std::string languageFilter_;
    bool hasLanguageFilter_ = false;
    THighlighterAttributes* defaultAttributes_[kRoleSymbol + 1] = {};
    bool enabled_ = true;
    bool caseSensitive_ = true;
    bool loading_ = false;

    std::u16string scanned_;  // line_ points here; at least lineLength_ + kLinePadding long
    std::u16string cased_;    // the line as given (case-insensitive highlighters only); only grows
    const char16_t* tokenSource_;  // token texts are cut from here (line_ or cased_)
    std::u16string expanded_;
    bool hasExpanded_ = false;
    int expandedPos_ = 0;
    int expandedTokenPos_ = 0;
    int previousRun_ = 0;
    int wordStart_ = 0;
    int wordLength_ = 0;
};

inline void TCustomHighlighter::Advance() {
    // The base step: keeps the expanded-line position in step with the scan position.
    if (run_ == previousRun_) {
        return;
    }
    expandedTokenPos_ = expandedPos_;
    if (hasExpanded_) {
        StepExpandedPosition();
    }
    previousRun_ = run_;
}

// Scans every line of `lines` the way the text view does (state carried from line to line,
// starting from ClearRangeState) and calls onToken(lineIndex) for each token and
// onLineEnd(lineIndex, rangeState) after each line.
template <typename Lines, typename OnToken, typename OnLineEnd>
void ScanLines(TCustomHighlighter& highlighter, const Lines& lines, OnToken onToken,
               OnLineEnd onLineEnd) {
    highlighter.ClearRangeState();
    int index = 0;
    for (const auto& line : lines) {
        highlighter.StartLine(line, index);
        while (!highlighter.LineFinished()) {
            onToken(index);
            highlighter.Advance();
        }
        const int state = highlighter.CurrentRangeState();
        onLineEnd(index, state);
        ++index;
        highlighter.RestoreRangeState(state);
    }
}

}  // namespace kelvara::highlight
