// Token kinds and range states of the JavaScript highlighter.
#pragma once

namespace kelvara::highlight {

enum class JScriptTokenKind : unsigned char {
    Comment = 0,
    Identifier = 1,
    Key = 2,   // reserved word
    Null = 3,  // the terminating zero at the line end
    Number = 4,
    Space = 5,
    String = 6,
    Symbol = 7,
    Unknown = 8,  // a character that starts no other token
    NonReservedKey = 9,
    Event = 10,
};

enum class JScriptRangeState : unsigned char {
    Normal = 0,  // the start-of-file state
    BlockComment = 1,
};

}  // namespace kelvara::highlight
