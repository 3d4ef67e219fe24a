// Token kinds and range states of the style-sheet highlighter.
#pragma once

namespace kelvara::highlight {

enum class CssTokenKind : unsigned char {
    Comment = 0,
    Property = 1,  // a property name found in the keyword table
    Selector = 2,
    Null = 3,  // the terminating zero at the line end
    Space = 4,
    String = 5,
    Symbol = 6,
    Text = 7,  // never produced by the scanner
    UndefinedProperty = 8,
    Value = 9,
    Color = 10,
    Number = 11,
};

enum class CssRangeState : unsigned char {
    Comment = 0,
    Unused = 1,
    BlockStart = 2,      // after "{", expecting a property name
    Selector = 3,        // outside any block; the start-of-file state
    AfterSemicolon = 4,  // after ";", expecting a property name
    Value = 5,           // after ":" or ",", expecting a value
};

}  // namespace kelvara::highlight
