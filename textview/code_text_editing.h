// Text edits on the line store in caret positions, and the undo list that reverses them.
#pragma once

#include <compare>
#include <string>
#include <string_view>
#include <vector>

#include "textview/code_line_list.h"

namespace kelvara::textview {

// 0-based line and character index; the character may lie past the line's end.
struct TextPosition {
    int line = 0;
    int chr = 0;
    auto operator<=>(const TextPosition&) const = default;
};

// Inserts text (CR LF, CR and LF break lines) at `at`, padding a short line with blanks;
// returns the position after the inserted text.
TextPosition InsertTextAt(TCodeLineList& lines, TextPosition at, std::u16string_view text);
// The text between two positions (in either order), lines joined by LF.
std::u16string TextBetween(const TCodeLineList& lines, TextPosition a, TextPosition b);
// Removes the text between two positions (in either order).
void DeleteBetween(TCodeLineList& lines, TextPosition a, TextPosition b);

class TUndoList {
  public:
    struct Item {
        enum class Kind { Inserted, Deleted } kind;
        TextPosition start;
        TextPosition end;
        std::u16string text;
        TextPosition caretBefore;
    };

    void Add(Item item) { items_.push_back(std::move(item)); }
    bool Empty() const { return items_.empty(); }
    Item Pop();
    void Clear() { items_.clear(); }
    int Count() const { return static_cast<int>(items_.size()); }

  private:
    std::vector<Item> items_;
};

}  // namespace kelvara::textview
