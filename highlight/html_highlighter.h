// THtmlHighlighter: colours HTML (listed and unlisted tag names, attribute names and values,
// comments, character entities, symbols and text). Lines are scanned lower-cased, so tag and
// entity names match in any letter case while token texts keep the document's letters.
#pragma once

#include <array>
#include <string>

#include "highlight/custom_highlighter.h"
#include "highlight/html_token_kinds.h"
#include "highlight/keyword_buckets.h"

namespace kelvara::highlight {

class THtmlHighlighter final : public TCustomHighlighter {
  public:
    static constexpr const char* kLanguageFilter = "HTML Documents (*.htm;*.html)|*.htm;*.html";

    THtmlHighlighter();

    THighlighterAttributes* AndAttri() const { return andAttri_; }
    THighlighterAttributes* CommentAttri() const { return commentAttri_; }
    THighlighterAttributes* IdentifierAttri() const { return identifierAttri_; }
    THighlighterAttributes* KeyAttri() const { return keyAttri_; }
    THighlighterAttributes* SpaceAttri() const { return spaceAttri_; }
    THighlighterAttributes* SymbolAttri() const { return symbolAttri_; }
    THighlighterAttributes* TextAttri() const { return textAttri_; }
    THighlighterAttributes* UndefKeyAttri() const { return undefKeyAttri_; }
    THighlighterAttributes* ValueAttri() const { return valueAttri_; }

    std::u16string DemoText() const override;
    std::u16string DisplayLanguageName() const override { return u"HTML"; }
    std::string InternalLanguageName() const override { return "HTML"; }

    void Advance() override;
    void ClearRangeState() override { range_ = HtmlRangeState::Text; }
    // A value that is no range state of this highlighter restarts in text.
    void RestoreRangeState(int state) override;
    int CurrentRangeState() const override { return static_cast<int>(range_); }

    int TokenKindCode() const override { return static_cast<int>(kind_); }
    THighlighterAttributes* TokenAttribute() const override;

    // The tag-name table, exposed for inspection.
    const TKeywordBuckets& TagNameBuckets() const { return tagNames_; }

  protected:
    int AdvanceLoop() override;

  private:
    void ScanToken();
    void CharacterStep();
    void WordStep();
    void QuotedValueStep();
    void CommentStep();
    void TextStep();
    void EntityStep();
    // Position after "&#" at `position` and the decimal or "x"-prefixed hexadecimal digits.
    int CharacterReferenceEnd(int position) const;

    THighlighterAttributes* commentAttri_;
    THighlighterAttributes* identifierAttri_;
    THighlighterAttributes* keyAttri_;
    THighlighterAttributes* spaceAttri_;
    THighlighterAttributes* symbolAttri_;
    THighlighterAttributes* textAttri_;
    THighlighterAttributes* undefKeyAttri_;
    THighlighterAttributes* valueAttri_;
    THighlighterAttributes* andAttri_;
    std::array<THighlighterAttributes*, 10> attributeOfKind_{};

    TKeywordBuckets tagNames_;
    HtmlRangeState range_ = HtmlRangeState::Text;
    HtmlTokenKind kind_ = HtmlTokenKind::Null;
    int entityCode_ = -1;  // entity found ahead by the text step, -1 when none
};

}  // namespace kelvara::highlight
