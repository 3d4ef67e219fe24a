#include "highlight/html_highlighter.h"

#include "highlight/html_tag_names.h"

namespace kelvara::highlight {

THtmlHighlighter::THtmlHighlighter()
    : tagNames_(kHtmlTagBucketCount, static_cast<int>(HtmlTokenKind::UndefKey)) {
    SetCaseSensitive(false);

    commentAttri_ = AddAttribute("Comment", u"Comment");
    identifierAttri_ = AddAttribute("Identifier", u"Identifier");
    identifierAttri_->SetStyle(kStyleBold);
    keyAttri_ = AddAttribute("ReservedWord", u"Reserved Word");
    keyAttri_->SetForeground(RgbColor(128, 0, 255));
    keyAttri_->SetStyle(kStyleBold);
    spaceAttri_ = AddAttribute("Space", u"Space");
    symbolAttri_ = AddAttribute("Symbol", u"Symbol");
    symbolAttri_->SetStyle(kStyleBold);
    textAttri_ = AddAttribute("Text", u"Text");
    undefKeyAttri_ = AddAttribute("UnknownWord", u"Unknown Word");
    undefKeyAttri_->SetForeground(RgbColor(255, 0, 0));
    undefKeyAttri_->SetStyle(kStyleBold);
    valueAttri_ = AddAttribute("Value", u"Value");
    valueAttri_->SetForeground(RgbColor(0, 128, 255));
    andAttri_ = AddAttribute("EscapeAmpersand", u"Escape Ampersand");
    andAttri_->SetForeground(RgbColor(0, 255, 0));
    andAttri_->SetStyle(kStyleBold);
    InstallAttributeChangeHandler();

    attributeOfKind_ = {andAttri_,   commentAttri_, identifierAttri_, keyAttri_,      nullptr,
                        spaceAttri_, symbolAttri_,  textAttri_,       undefKeyAttri_, valueAttri_};

    const auto& names = HtmlTagNames();
    const auto& buckets = HtmlTagBuckets();
    for (int bucket = 0; bucket < kHtmlTagBucketCount; ++bucket) {
        if (buckets[bucket] >= 0) {
            tagNames_.Place(bucket, names[buckets[bucket]], static_cast<int>(HtmlTokenKind::Key));
        }
    }

    range_ = HtmlRangeState::Text;
    SetDefaultAttribute(kRoleComment, commentAttri_);
    SetDefaultAttribute(kRoleIdentifier, identifierAttri_);
    SetDefaultAttribute(kRoleKeyword, keyAttri_);
    SetDefaultAttribute(kRoleWhitespace, spaceAttri_);
    SetDefaultAttribute(kRoleSymbol, symbolAttri_);
    SetLanguageFilter(kLanguageFilter);
    entityCode_ = -1;
}

std::u16string THtmlHighlighter::DemoText() const {
    return u"<!-- A sample page -->\n"
           u"<html>\n"
           u"<body text=\"navy\">\n"
           u"<form method=\"post\" action=\"send.cgi\">\n"
           u"  <input type=\"text\" name=\"who\">\n"
           u"  <input type=\"hidden\" name=\"note\" value='first part\n"
           u"second part'>\n"
           u"</form>\n"
           u"<gadget>Fish &amp; chips &#8364;3</gadget>\n"
           u"</body>\n"
           u"</html>";
}

void THtmlHighlighter::RestoreRangeState(int state) {
    range_ = state >= 0 && state <= static_cast<int>(HtmlRangeState::DoubleQuoted)
                 ? static_cast<HtmlRangeState>(state)
                 : HtmlRangeState::Text;
}

THighlighterAttributes* THtmlHighlighter::TokenAttribute() const {
    return attributeOfKind_[static_cast<size_t>(kind_)];
}

}  // namespace kelvara::highlight
