// TCssHighlighter: style sheets. Case-insensitive; a whole selector list is one token, property
// names are looked up in a chained keyword table, values run up to ",", ";" or "}".
#pragma once

#include <array>
#include <string>

#include "highlight/css_token_kinds.h"
#include "highlight/custom_highlighter.h"
#include "highlight/hash_entry_list.h"

namespace kelvara::highlight {

class TCssHighlighter final : public TCustomHighlighter {
  public:
    static constexpr int kTokenKindCount = 12;
    static constexpr const char* kLanguageFilter = "Cascading Stylesheets (*.css)|*.css";

    TCssHighlighter();
    ~TCssHighlighter() override;

    THighlighterAttributes* CommentAttri() const { return commentAttri_; }
    THighlighterAttributes* PropertyAttri() const { return propertyAttri_; }
    THighlighterAttributes* ColorAttri() const { return colorAttri_; }
    THighlighterAttributes* NumberAttri() const { return numberAttri_; }
    THighlighterAttributes* KeyAttri() const { return keyAttri_; }
    THighlighterAttributes* SpaceAttri() const { return spaceAttri_; }
    THighlighterAttributes* StringAttri() const { return stringAttri_; }
    THighlighterAttributes* SymbolAttri() const { return symbolAttri_; }
    THighlighterAttributes* TextAttri() const { return textAttri_; }
    THighlighterAttributes* ValueAttri() const { return valueAttri_; }
    THighlighterAttributes* UndefPropertyAttri() const { return undefPropertyAttri_; }

    std::u16string DemoText() const override;
    std::u16string DisplayLanguageName() const override { return u"Cascading Style Sheet"; }
    std::string InternalLanguageName() const override { return "CascadingStyleSheet"; }

    void Advance() override;
    void ClearRangeState() override;
    void RestoreRangeState(int state) override;
    int CurrentRangeState() const override { return range_; }
    int TokenKindCode() const override { return static_cast<int>(kind_); }
    CssTokenKind TokenKind() const { return kind_; }
    THighlighterAttributes* TokenAttribute() const override;

    // Identifier characters plus "-".
    bool IsIdentifierChar(char16_t c) const override { return IsCssIdentifierCode(c); }
    static constexpr bool IsCssIdentifierCode(char16_t c) {
        return c == u'-' || IsIdentifierCode(c);
    }

    const THashEntryList& Keywords() const { return keywords_; }

  protected:
    int AdvanceLoop() override;

  private:
    void SetRange(CssRangeState state) { range_ = static_cast<unsigned char>(state); }
    void CharacterStep();
    void SelectorStep();
    void WordStep();
    void NumberStep();
    void ColorStep();
    void StringStep();
    void SlashStep();
    void CommentStep();
    void ScanCommentBody();
    void Symbol(CssRangeState next);
    CssTokenKind PropertyKindAtRun();
    void FillKeywordTable();

    THighlighterAttributes* commentAttri_;
    THighlighterAttributes* propertyAttri_;
    THighlighterAttributes* keyAttri_;
    THighlighterAttributes* undefPropertyAttri_;
    THighlighterAttributes* spaceAttri_;
    THighlighterAttributes* colorAttri_;
    THighlighterAttributes* numberAttri_;
    THighlighterAttributes* stringAttri_;
    THighlighterAttributes* symbolAttri_;
    THighlighterAttributes* textAttri_;
    THighlighterAttributes* valueAttri_;
    std::array<THighlighterAttributes*, kTokenKindCount> attributeOfKind_{};

    THashEntryList keywords_;
    unsigned char range_ = static_cast<unsigned char>(CssRangeState::Selector);
    // The state a comment returns to. It lives here, not in the stored range state, so a
    // comment closing on a later line returns to the state of this instance's latest opening.
    unsigned char savedRange_ = static_cast<unsigned char>(CssRangeState::Selector);
    CssTokenKind kind_ = CssTokenKind::Null;
};

}  // namespace kelvara::highlight
