// Errors raised by the highlighter framework. Scanning itself never fails; these come from
// building attribute lists and keyword tables.
#pragma once

#include <stdexcept>

namespace kelvara::highlight {

class EHighlighterError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Text of the error for a second attribute with a name already in a highlighter's list.
inline constexpr const char* kDuplicateAttributeText = "String list does not allow duplicates";

}  // namespace kelvara::highlight
