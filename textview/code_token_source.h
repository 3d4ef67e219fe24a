// What the text view asks of a highlighter: the range-state contract, and the tokens of one
// line in display columns with their look.
#pragma once

#include <functional>
#include <string_view>

#include "highlight/color_values.h"
#include "textview/code_range_scan.h"

namespace kelvara::textview {

struct TokenLook {
    highlight::ColorValue background = highlight::kColorNone;
    highlight::ColorValue foreground = highlight::kColorNone;
    highlight::FontStyles style = 0;
    bool operator==(const TokenLook&) const = default;
};

class TCodeTokenSource : public TRangeScanner {
  public:
    virtual bool Enabled() const = 0;
    // Starts a line for painting; `display` is the line laid out in cells (see
    // code_text_layout.h). The first token is then current.
    virtual void StartLineExpanded(std::u16string_view line, std::u16string_view display,
                                   int index) = 0;
    virtual bool LineFinished() = 0;
    virtual void Advance() = 0;
    // The current token in display columns.
    virtual int ExpandedTokenStart() = 0;
    virtual int ExpandedTokenLength() = 0;
    // The current token's look; false when the token has no attribute.
    virtual bool CurrentTokenLook(TokenLook& look) = 0;
    // Background of the whitespace attribute (kColorNone when there is none).
    virtual highlight::ColorValue WhitespaceBackground() = 0;
    // Every font style that some attribute uses (the cell must fit them all).
    virtual highlight::FontStyles StylesUsed() = 0;
    // Called whenever an attribute's look changes; an empty function stops listening.
    virtual void SetChangeListener(std::function<void()> listener) = 0;
};

}  // namespace kelvara::textview
