// TXmlHighlighter: colours XML (elements, attributes and namespace declarations, values, entity
// references, comments, processing instructions, CDATA sections, DOCTYPE declarations). It has
// no keyword table: the scanner is a state machine over characters, case-sensitive throughout.
#pragma once

#include <array>
#include <string>

#include "highlight/custom_highlighter.h"
#include "highlight/xml_token_kinds.h"

namespace kelvara::highlight {

class TXmlHighlighter final : public TCustomHighlighter {
  public:
    static constexpr const char* kLanguageFilter =
        "XML Files (*.xml;*.xsd;*.xsl;*.xslt;*.dtd)|*.xml;*.xsd;*.xsl;*.xslt;*.dtd";

    TXmlHighlighter();

    THighlighterAttributes* ElementAttri() const { return elementAttri_; }
    THighlighterAttributes* AttributeAttri() const { return attributeAttri_; }
    THighlighterAttributes* NamespaceAttributeAttri() const { return nsAttributeAttri_; }
    THighlighterAttributes* AttributeValueAttri() const { return attributeValueAttri_; }
    THighlighterAttributes* NamespaceAttributeValueAttri() const { return nsAttributeValueAttri_; }
    THighlighterAttributes* TextAttri() const { return textAttri_; }
    THighlighterAttributes* CDATAAttri() const { return cdataAttri_; }
    THighlighterAttributes* EntityRefAttri() const { return entityRefAttri_; }
    THighlighterAttributes* ProcessingInstructionAttri() const { return piAttri_; }
    THighlighterAttributes* CommentAttri() const { return commentAttri_; }
    THighlighterAttributes* DocTypeAttri() const { return docTypeAttri_; }
    THighlighterAttributes* SpaceAttri() const { return spaceAttri_; }
    THighlighterAttributes* SymbolAttri() const { return symbolAttri_; }

    // A stored option kept for saved settings; the scanner does not consult it. Its declared
    // default is true, so saved settings hold it only when false.
    bool WantBracesParsed() const { return wantBracesParsed_; }
    void SetWantBracesParsed(bool value) { wantBracesParsed_ = value; }
    bool IsWantBracesParsedStored() const { return !wantBracesParsed_; }

    std::u16string DemoText() const override;
    std::u16string DisplayLanguageName() const override { return u"XML"; }
    std::string InternalLanguageName() const override { return "XML"; }

    void Advance() override;
    void ClearRangeState() override { range_ = XmlRangeState::Text; }
    // A value that is no range state of this highlighter restarts in text.
    void RestoreRangeState(int state) override;
    int CurrentRangeState() const override { return static_cast<int>(range_); }

    int TokenKindCode() const override { return static_cast<int>(kind_); }
    THighlighterAttributes* TokenAttribute() const override;

    // Name characters: '-', '.', digits, ':', letters, '_' and every code above 192.
    virtual bool IsXmlNameChar(char16_t c) const { return IsXmlNameCode(c); }
    static constexpr bool IsXmlNameCode(char16_t c) {
        return c == u'-' || c == u'.' || (c >= u'0' && c <= u':') || (c >= u'A' && c <= u'Z') ||
               c == u'_' || (c >= u'a' && c <= u'z') || c > 192;
    }

  protected:
    int AdvanceLoop() override;

  private:
    void ScanToken();
    void CharacterStep();
    void BlankRun();
    void TagOpening();
    void StateStep();
    void ElementNameStep();
    void AttributeNameStep();
    void AfterNameStep(bool isNamespace);
    void QuotedValueStep(char16_t quote, XmlTokenKind kind, XmlRangeState atEntity);
    void EntityRefStep(XmlTokenKind kind, XmlRangeState back);
    void TextStep();
    void CommentStep();
    void ClosedByPairStep(XmlTokenKind kind, char16_t before);
    void DocTypeStep();
    bool AtLineEnd() const;

    THighlighterAttributes* elementAttri_;
    THighlighterAttributes* textAttri_;
    THighlighterAttributes* spaceAttri_;
    THighlighterAttributes* entityRefAttri_;
    THighlighterAttributes* piAttri_;
    THighlighterAttributes* cdataAttri_;
    THighlighterAttributes* commentAttri_;
    THighlighterAttributes* docTypeAttri_;
    THighlighterAttributes* attributeAttri_;
    THighlighterAttributes* nsAttributeAttri_;
    THighlighterAttributes* attributeValueAttri_;
    THighlighterAttributes* nsAttributeValueAttri_;
    THighlighterAttributes* symbolAttri_;
    std::array<THighlighterAttributes*, 22> attributeOfKind_{};

    XmlRangeState range_ = XmlRangeState::Text;
    XmlTokenKind kind_ = XmlTokenKind::Null;
    bool wantBracesParsed_ = false;
};

}  // namespace kelvara::highlight
