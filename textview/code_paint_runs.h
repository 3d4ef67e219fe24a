// Cutting one painted line into runs of equal look, so that one drawing call paints many
// tokens. Columns are display columns (one cell each).
#pragma once

#include <string_view>
#include <vector>

#include "textview/code_token_source.h"

namespace kelvara::textview {

struct PaintRun {
    int column = 0;
    int length = 0;
    TokenLook look;
    bool operator==(const PaintRun&) const = default;
};

struct LinePaintSetup {
    std::u16string_view display;
    int firstColumn = 0;  // visible columns: [firstColumn, endColumn)
    int endColumn = 0;
    int selectionStart = 0;  // selected columns: [selectionStart, selectionEnd)
    int selectionEnd = 0;
    TokenLook lineLook;      // the line's own colours (no kColorNone) and the font's style
    TokenLook selectedLook;  // colours of selected text; its style is ignored
};

class TLineRunBuilder {
  public:
    explicit TLineRunBuilder(const LinePaintSetup& setup);

    // One highlighter token; `look` is null for a token without attribute.
    void AddToken(int start, int length, const TokenLook* look);
    // The whole line in the line's colours (no highlighter).
    void AddPlainLine() { AddToken(0, static_cast<int>(setup_.display.size()), nullptr); }
    std::vector<PaintRun> Finish();

  private:
    void AddPiece(int start, int end, const TokenLook& look);
    bool IsBlank(int start, int end) const;

    LinePaintSetup setup_;
    bool rowSelected_ = false;
    bool pending_ = false;
    PaintRun run_;
    std::vector<PaintRun> runs_;
};

}  // namespace kelvara::textview
