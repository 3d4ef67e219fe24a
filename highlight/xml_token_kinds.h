// Token kinds and range states of the XML highlighter.
#pragma once

namespace kelvara::highlight {

enum class XmlTokenKind : unsigned char {
    AposValue = 0,      // value in single quotes
    AposEntityRef = 1,  // entity reference in a single-quoted value
    AttributeName = 2,
    CData = 3,
    Comment = 4,
    ElementName = 5,
    EntityRef = 6,     // entity reference in text
    EqualsSymbol = 7,  // "=" and whatever precedes the opening quote
    Null = 8,          // the terminating zero at the line end
    ProcessingInstruction = 9,
    QuotValue = 10,      // value in double quotes
    QuotEntityRef = 11,  // entity reference in a double-quoted value
    Space = 12,
    Symbol = 13,
    Text = 14,
    NsAposValue = 15,
    NsAposEntityRef = 16,
    NsAttributeName = 17,  // attribute name containing "xmlns"
    NsEqualsSymbol = 18,
    NsQuotValue = 19,
    NsQuotEntityRef = 20,
    DocType = 21,
};

enum class XmlRangeState : unsigned char {
    AposValue = 0,
    AposEntityRef = 1,
    Attribute = 2,  // inside a tag, expecting an attribute name
    CData = 3,
    Comment = 4,
    ElementName = 5,  // after "<" or "</"
    EntityRef = 6,    // at an entity reference in text
    EqualsSign = 7,   // after an attribute name, expecting "=" and a quote
    ProcessingInstruction = 8,
    QuotValue = 9,
    QuotEntityRef = 10,
    Text = 11,  // the start-of-file state
    NsAposValue = 12,
    NsAposEntityRef = 13,
    NsEqualsSign = 14,
    NsQuotValue = 15,
    NsQuotEntityRef = 16,
    DocType = 17,
    DocTypeBrackets = 18,  // inside the "[...]" part of a DOCTYPE
};

inline constexpr int kXmlRangeStateCount = 19;

}  // namespace kelvara::highlight
