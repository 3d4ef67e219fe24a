// Token kinds and range states of the HTML highlighter.
#pragma once

namespace kelvara::highlight {

enum class HtmlTokenKind : unsigned char {
    Entity = 0,      // character entity or character reference in text
    Comment = 1,     // "<!--" included
    Identifier = 2,  // attribute name or other word inside a tag
    Key = 3,         // listed tag name
    Null = 4,        // the terminating zero at the line end
    Space = 5,
    Symbol = 6,  // "<", ">", "="
    Text = 7,
    UndefKey = 8,  // unlisted tag name
    Value = 9,     // attribute value
};

enum class HtmlRangeState : unsigned char {
    Entity = 0,  // an entity starts at the position; the next token consumes it
    Comment = 1,
    TagName = 2,  // right after "<"
    Tag = 3,      // inside a tag, after its name
    Text = 4,     // the start-of-file state
    Unused = 5,
    Value = 6,  // right after "=", expecting a value
    SingleQuoted = 7,
    DoubleQuoted = 8,
};

}  // namespace kelvara::highlight
