// A small highlighter used only by the framework tests: words (keywords "body" and "while"),
// blanks, one-character symbols and "/* */" comments that continue over lines (range state 1).
#pragma once

#include "highlight/custom_highlighter.h"
#include "highlight/keyword_buckets.h"

namespace kelvara::highlight::test {

class TTestHighlighter : public TCustomHighlighter {
  public:
    enum Kind { kNull = 0, kSpace, kWord, kKeyword, kSymbol, kComment };
    using Hash = MultiplyAddHash<31, 1>;
    static constexpr int kBuckets = 97;

    explicit TTestHighlighter(bool caseSensitive = true) : buckets_(kBuckets, kWord) {
        SetCaseSensitive(caseSensitive);
        spaceAttri = AddAttribute("Space", u"Space");
        wordAttri = AddAttribute("Word", u"Word");
        keyAttri = AddAttribute("ReservedWord", u"Reserved Word");
        keyAttri->SetStyle(kStyleBold);
        commentAttri = AddAttribute("Comment", u"Comment");
        commentAttri->SetForeground(RgbColor(0, 128, 0));
        symbolAttri = AddAttribute("Symbol", u"Symbol");
        InstallAttributeChangeHandler();
        for (std::string_view keyword : {"body", "while"}) {
            buckets_.Place(Hash::OfWord(keyword) % kBuckets, keyword, kKeyword);
        }
    }

    void Advance() override {
        tokenPos_ = run_;
        if (state_ == 1) {
            ScanComment();
        } else {
            const char16_t c = line_[run_];
            if (c == 0) {
                kind_ = kNull;
                ++run_;
            } else if (c <= 32) {
                kind_ = kSpace;
                while (line_[run_] != 0 && line_[run_] <= 32) {
                    ++run_;
                }
            } else if (c == u'/' && line_[run_ + 1] == u'*') {
                run_ += 2;
                state_ = 1;
                ScanComment();
            } else if (IsIdentifierCode(c)) {
                const std::uint32_t acc = MeasureWord(IsIdentifierCode, Hash());
                kind_ = buckets_.KindOfMeasuredWord(acc % kBuckets, *this);
                run_ += WordLength();
            } else {
                kind_ = kSymbol;
                ++run_;
            }
        }
        TCustomHighlighter::Advance();
    }

    int TokenKindCode() const override { return kind_; }
    THighlighterAttributes* TokenAttribute() const override {
        switch (kind_) {
            case kSpace:
                return spaceAttri;
            case kWord:
                return wordAttri;
            case kKeyword:
                return keyAttri;
            case kSymbol:
                return symbolAttri;
            case kComment:
                return commentAttri;
            default:
                return nullptr;
        }
    }
    THighlighterAttributes* DefaultAttributeFor(int role) const override {
        switch (role) {
            case kRoleComment:
                return commentAttri;
            case kRoleKeyword:
                return keyAttri;
            case kRoleWhitespace:
                return spaceAttri;
            default:
                return nullptr;
        }
    }
    int CurrentRangeState() const override { return state_; }
    void RestoreRangeState(int state) override { state_ = state; }
    void ClearRangeState() override { state_ = 0; }
    std::string InternalLanguageName() const override { return "Test"; }

    THighlighterAttributes* spaceAttri;
    THighlighterAttributes* wordAttri;
    THighlighterAttributes* keyAttri;
    THighlighterAttributes* commentAttri;
    THighlighterAttributes* symbolAttri;

    // Exposes the protected registration for the duplicate-name test.
    using TCustomHighlighter::AddAttribute;

  private:
    void ScanComment() {
        if (line_[run_] == 0) {
            kind_ = kNull;
            ++run_;
            return;
        }
        kind_ = kComment;
        while (line_[run_] != 0) {
            if (line_[run_] == u'*' && line_[run_ + 1] == u'/') {
                run_ += 2;
                state_ = 0;
                return;
            }
            ++run_;
        }
    }

    TKeywordBuckets buckets_;
    int kind_ = kNull;
    int state_ = 0;
};

}  // namespace kelvara::highlight::test
