#include "highlight/xml_highlighter.h"

#include <memory>
#include <utility>

namespace kelvara::highlight {
namespace {

constexpr ColorValue kMaroon = RgbColor(128, 0, 0);
constexpr ColorValue kBlack = RgbColor(0, 0, 0);
constexpr ColorValue kBlue = RgbColor(0, 0, 255);
constexpr ColorValue kOlive = RgbColor(128, 128, 0);
constexpr ColorValue kGray = RgbColor(128, 128, 128);
constexpr ColorValue kSilver = RgbColor(192, 192, 192);
constexpr ColorValue kRed = RgbColor(255, 0, 0);
constexpr ColorValue kNavy = RgbColor(0, 0, 128);

std::unique_ptr<THighlighterAttributes> MakeAttribute(const char* name, const char16_t* friendly,
                                                      ColorValue foreground, FontStyles style) {
    auto attribute = std::make_unique<THighlighterAttributes>(name, friendly);
    attribute->SetForeground(foreground);
    attribute->SetStyle(style);
    return attribute;
}

}  // namespace

TXmlHighlighter::TXmlHighlighter() {
    SetCaseSensitive(true);

    auto element = MakeAttribute("ElementName", u"Element Name", kMaroon, kStyleBold);
    auto text = MakeAttribute("Text", u"Text", kBlack, kStyleBold);
    auto space = MakeAttribute("Whitespace", u"Whitespace", kColorNone, 0);
    auto entityRef = MakeAttribute("EntityReference", u"Entity Reference", kBlue, kStyleBold);
    auto pi = MakeAttribute("ProcessingInstruction", u"Processing Instruction", kBlue, 0);
    auto cdata = MakeAttribute("CDATA-Section", u"CDATA Section", kOlive, kStyleItalic);
    auto comment = MakeAttribute("Comment", u"Comment", kGray, kStyleBold | kStyleItalic);
    comment->SetBackground(kSilver);
    auto docType = MakeAttribute("DOCTYPE-Section", u"DOCTYPE Section", kBlue, kStyleItalic);
    auto attribute = MakeAttribute("AttributeName", u"Attribute Name", kMaroon, 0);
    auto nsAttribute =
        MakeAttribute("NamespaceAttributeName", u"Namespace Attribute Name", kRed, 0);
    auto value = MakeAttribute("AttributeValue", u"Attribute Value", kNavy, kStyleBold);
    auto nsValue =
        MakeAttribute("NamespaceAttributeValue", u"Namespace Attribute Value", kRed, kStyleBold);
    auto symbol = MakeAttribute("Symbol", u"Symbol", kBlue, 0);

    symbolAttri_ = AddAttribute(std::move(symbol));
    piAttri_ = AddAttribute(std::move(pi));
    docTypeAttri_ = AddAttribute(std::move(docType));
    commentAttri_ = AddAttribute(std::move(comment));
    elementAttri_ = AddAttribute(std::move(element));
    attributeAttri_ = AddAttribute(std::move(attribute));
    nsAttributeAttri_ = AddAttribute(std::move(nsAttribute));
    attributeValueAttri_ = AddAttribute(std::move(value));
    nsAttributeValueAttri_ = AddAttribute(std::move(nsValue));
    entityRefAttri_ = AddAttribute(std::move(entityRef));
    cdataAttri_ = AddAttribute(std::move(cdata));
    spaceAttri_ = AddAttribute(std::move(space));
    textAttri_ = AddAttribute(std::move(text));
    InstallAttributeChangeHandler();

    using K = XmlTokenKind;
    auto bind = [this](K kind, THighlighterAttributes* a) {
        attributeOfKind_[static_cast<size_t>(kind)] = a;
    };
    bind(K::AposValue, attributeValueAttri_);
    bind(K::AposEntityRef, entityRefAttri_);
    bind(K::AttributeName, attributeAttri_);
    bind(K::CData, cdataAttri_);
    bind(K::Comment, commentAttri_);
    bind(K::ElementName, elementAttri_);
    bind(K::EntityRef, entityRefAttri_);
    bind(K::EqualsSymbol, symbolAttri_);
    bind(K::Null, nullptr);
    bind(K::ProcessingInstruction, piAttri_);
    bind(K::QuotValue, attributeValueAttri_);
    bind(K::QuotEntityRef, entityRefAttri_);
    bind(K::Space, spaceAttri_);
    bind(K::Symbol, symbolAttri_);
    bind(K::Text, textAttri_);
    bind(K::NsAposValue, nsAttributeValueAttri_);
    bind(K::NsAposEntityRef, entityRefAttri_);
    bind(K::NsAttributeName, nsAttributeAttri_);
    bind(K::NsEqualsSymbol, symbolAttri_);
    bind(K::NsQuotValue, nsAttributeValueAttri_);
    bind(K::NsQuotEntityRef, entityRefAttri_);
    bind(K::DocType, docTypeAttri_);

    range_ = XmlRangeState::Text;
    SetDefaultAttribute(kRoleComment, commentAttri_);
    SetDefaultAttribute(kRoleIdentifier, attributeAttri_);
    SetDefaultAttribute(kRoleKeyword, elementAttri_);
    SetDefaultAttribute(kRoleWhitespace, spaceAttri_);
    SetDefaultAttribute(kRoleSymbol, symbolAttri_);
    SetLanguageFilter(kLanguageFilter);
}

std::u16string TXmlHighlighter::DemoText() const {
    return u"<?xml version=\"1.0\"?>\n"
           u"<!DOCTYPE root [\n"
           u"  ]>\n"
           u"<!-- Comment -->\n"
           u"<root version=\"&test;\">\n"
           u"  <![CDATA[ **CDATA section** ]]>\n"
           u"</root>";
}

void TXmlHighlighter::RestoreRangeState(int state) {
    range_ = state >= 0 && state < kXmlRangeStateCount ? static_cast<XmlRangeState>(state)
                                                       : XmlRangeState::Text;
}

THighlighterAttributes* TXmlHighlighter::TokenAttribute() const {
    return attributeOfKind_[static_cast<size_t>(kind_)];
}

}  // namespace kelvara::highlight
