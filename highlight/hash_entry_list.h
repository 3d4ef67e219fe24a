// A keyword table of chains indexed by a hash value (the style-sheet highlighter's word sum).
// Each chain is ordered by ascending keyword length, equal lengths in order of insertion; a
// keyword may be put only once per chain, compared without regard to letter case.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kelvara::highlight {

class TCustomHighlighter;

class THashEntry {
  public:
    THashEntry(std::u16string keyword, int kind);
    ~THashEntry();  // destroys the rest of the chain as well
    THashEntry(const THashEntry&) = delete;
    THashEntry& operator=(const THashEntry&) = delete;

    const std::u16string& Keyword() const { return keyword_; }
    int KeywordLength() const { return keywordLength_; }
    int Kind() const { return kind_; }
    const THashEntry* Next() const { return next_.get(); }

    // Inserts `entry` into the chain headed by `head` (updated when the entry becomes the new
    // head). Throws EHighlighterError "Keyword "<existing>" already in list" when the chain
    // already holds the keyword in any letter case; the chain is then left as it was.
    static void Insert(std::unique_ptr<THashEntry>& head, std::unique_ptr<THashEntry> entry);

  private:
    std::unique_ptr<THashEntry> next_;
    int keywordLength_;
    std::u16string keyword_;
    int kind_;
};

class THashEntryList {
  public:
    // Inserts the entry into the chain of `hash`, growing the list to hash + 1 slots first
    // when needed.
    void Put(std::uint32_t hash, std::unique_ptr<THashEntry> entry);
    void Put(std::uint32_t hash, std::u16string keyword, int kind);
    // The chain head, or nullptr for an empty slot or a hash outside the list.
    const THashEntry* Get(std::uint32_t hash) const;
    int Count() const { return static_cast<int>(chains_.size()); }
    void Clear() { chains_.clear(); }

    // Walks the chain of `hash`: stops at the first entry longer than the word last measured by
    // `highlighter`; an entry of the same length that passes TokenEquals gives its kind.
    // `notFoundKind` otherwise.
    int KindOfMeasuredWord(std::uint32_t hash, const TCustomHighlighter& highlighter,
                           int notFoundKind) const;

  private:
    std::vector<std::unique_ptr<THashEntry>> chains_;
};

}  // namespace kelvara::highlight
