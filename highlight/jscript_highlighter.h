// TJScriptHighlighter: JavaScript. Case-sensitive; keywords of three kinds are found through a
// bucket table, only block comments continue onto the next line.
#pragma once

#include <array>
#include <string>

#include "highlight/custom_highlighter.h"
#include "highlight/jscript_token_kinds.h"
#include "highlight/keyword_buckets.h"

namespace kelvara::highlight {

class TJScriptHighlighter final : public TCustomHighlighter {
  public:
    static constexpr int kTokenKindCount = 11;
    static constexpr const char* kLanguageFilter = "Javascript Files (*.js)|*.js";

    TJScriptHighlighter();
    ~TJScriptHighlighter() override;

    THighlighterAttributes* CommentAttri() const { return commentAttri_; }
    THighlighterAttributes* IdentifierAttri() const { return identifierAttri_; }
    THighlighterAttributes* KeyAttri() const { return keyAttri_; }
    THighlighterAttributes* NonReservedKeyAttri() const { return nonReservedKeyAttri_; }
    THighlighterAttributes* EventAttri() const { return eventAttri_; }
    THighlighterAttributes* NumberAttri() const { return numberAttri_; }
    THighlighterAttributes* SpaceAttri() const { return spaceAttri_; }
    THighlighterAttributes* StringAttri() const { return stringAttri_; }
    THighlighterAttributes* SymbolAttri() const { return symbolAttri_; }

    std::u16string DemoText() const override;
    std::u16string DisplayLanguageName() const override { return u"JavaScript"; }
    std::string InternalLanguageName() const override { return "JavaScript"; }

    void Advance() override;
    void ClearRangeState() override;
    void RestoreRangeState(int state) override;
    int CurrentRangeState() const override { return range_; }
    int TokenKindCode() const override { return static_cast<int>(kind_); }
    JScriptTokenKind TokenKind() const { return kind_; }
    THighlighterAttributes* TokenAttribute() const override;

    const TKeywordBuckets& Keywords() const { return keywords_; }

  protected:
    int AdvanceLoop() override;

  private:
    void CharacterStep();
    void IdentifierStep();
    void NumberStep();
    void StringStep();
    void SlashStep();
    void BlockCommentStep();
    void ScanCommentBody();
    // A symbol of one character, or of two when the next character is one of `seconds`.
    void SymbolWithSecond(std::u16string_view seconds);
    void OneCharacter(JScriptTokenKind kind);

    THighlighterAttributes* commentAttri_;
    THighlighterAttributes* identifierAttri_;
    THighlighterAttributes* keyAttri_;
    THighlighterAttributes* nonReservedKeyAttri_;
    THighlighterAttributes* eventAttri_;
    THighlighterAttributes* numberAttri_;
    THighlighterAttributes* spaceAttri_;
    THighlighterAttributes* stringAttri_;
    THighlighterAttributes* symbolAttri_;
    std::array<THighlighterAttributes*, kTokenKindCount> attributeOfKind_{};

    TKeywordBuckets keywords_;
    unsigned char range_ = static_cast<unsigned char>(JScriptRangeState::Normal);
    JScriptTokenKind kind_ = JScriptTokenKind::Null;
};

}  // namespace kelvara::highlight
