// A small highlighter for the view tests: identifiers, blanks, symbols and "/* */" comments that
// may span lines (range state 1 inside a comment). It counts the lines it was asked to start.
#pragma once

#include "highlight/custom_highlighter.h"

namespace kelvara::textview::test {

class TCommentTestHighlighter : public highlight::TCustomHighlighter {
  public:
    enum Kind { kNull, kIdentifier, kSpace, kSymbol, kComment };

    explicit TCommentTestHighlighter(
        highlight::ColorValue identifierColor = highlight::RgbColor(255, 0, 0),
        int commentState = 1)
        : commentState_(commentState) {
        comment_ = AddAttribute("Comment", u"Comment");
        comment_->SetForeground(highlight::RgbColor(0, 128, 0));
        comment_->SetStyle(highlight::kStyleItalic);
        identifier_ = AddAttribute("Identifier", u"Identifier");
        identifier_->SetForeground(identifierColor);
        space_ = AddAttribute("Space", u"Space");
        symbol_ = AddAttribute("Symbol", u"Symbol");
        symbol_->SetStyle(highlight::kStyleBold);
        InstallAttributeChangeHandler();
    }

    highlight::THighlighterAttributes* Identifier() const { return identifier_; }
    int StartedLines() const { return startedLines_; }
    void ResetCount() { startedLines_ = 0; }

    void StartLine(std::u16string_view line, int number) override {
        ++startedLines_;
        TCustomHighlighter::StartLine(line, number);
    }
    void StartLineExpanded(std::u16string_view line, std::u16string_view expanded,
                           int number) override {
        ++startedLines_;
        TCustomHighlighter::StartLineExpanded(line, expanded, number);
    }

    void Advance() override {
        tokenPos_ = run_;
        const char16_t c = line_[run_];
        if (c == 0) {
            kind_ = kNull;
            ++run_;
        } else if (inComment_ || (c == u'/' && line_[run_ + 1] == u'*')) {
            if (!inComment_)
                run_ += 2;
            inComment_ = true;
            kind_ = kComment;
            while (run_ < lineLength_) {
                if (line_[run_] == u'*' && line_[run_ + 1] == u'/') {
                    run_ += 2;
                    inComment_ = false;
                    break;
                }
                ++run_;
            }
            if (run_ == tokenPos_)
                ++run_;
        } else if (IsIdentifierCode(c)) {
            kind_ = kIdentifier;
            while (IsIdentifierCode(line_[run_]))
                ++run_;
        } else if (c == u' ' || c == u'\t') {
            kind_ = kSpace;
            while (line_[run_] == u' ' || line_[run_] == u'\t')
                ++run_;
        } else {
            kind_ = kSymbol;
            ++run_;
        }
        TCustomHighlighter::Advance();
    }

    int TokenKindCode() const override { return kind_; }
    highlight::THighlighterAttributes* TokenAttribute() const override {
        switch (kind_) {
            case kIdentifier:
                return identifier_;
            case kSpace:
                return space_;
            case kSymbol:
                return symbol_;
            case kComment:
                return comment_;
            default:
                return nullptr;
        }
    }
    highlight::THighlighterAttributes* DefaultAttributeFor(int role) const override {
        return role == highlight::kRoleWhitespace ? space_ : nullptr;
    }
    void ClearRangeState() override { inComment_ = false; }
    void RestoreRangeState(int state) override { inComment_ = state == commentState_; }
    int CurrentRangeState() const override { return inComment_ ? commentState_ : 0; }

  private:
    highlight::THighlighterAttributes* comment_;
    highlight::THighlighterAttributes* identifier_;
    highlight::THighlighterAttributes* space_;
    highlight::THighlighterAttributes* symbol_;
    Kind kind_ = kNull;
    bool inComment_ = false;
    int startedLines_ = 0;
    int commentState_;
};

}  // namespace kelvara::textview::test
