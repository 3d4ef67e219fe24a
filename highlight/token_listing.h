// A text listing of the tokens a highlighter finds, line after line, the range state carried
// from each line to the next as the text view does it. Per token one line
//     LINE <TAB> START <TAB> KIND <TAB> ATTRIBUTE-NAME-or-"-" <TAB> TEXT
// with tab, CR, LF and backslash in TEXT written as \t \r \n \\ (UTF-8 otherwise; a lone
// surrogate becomes U+FFFD); after each line's tokens "state <TAB> N".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "highlight/custom_highlighter.h"

namespace kelvara::highlight {

// Appends the UTF-8 form of `text` with the four escapes.
void AppendEscapedTokenText(std::string& out, std::u16string_view text);

class TTokenListing {
  public:
    // With countOnly, lines are scanned and counted but nothing is written.
    TTokenListing(TCustomHighlighter& highlighter, bool countOnly);

    // Scans the next line (the first one after ClearRangeState) and appends its listing.
    void ScanLine(std::u16string_view line, std::string& out);

    std::size_t Lines() const { return lines_; }
    std::uint64_t Tokens() const { return tokens_; }

  private:
    TCustomHighlighter& highlighter_;
    bool countOnly_;
    std::size_t lines_ = 0;
    std::uint64_t tokens_ = 0;
};

}  // namespace kelvara::highlight
