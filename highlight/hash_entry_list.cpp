#include "highlight/hash_entry_list.h"

#include "highlight/case_mapping.h"
#include "highlight/custom_highlighter.h"
#include "highlight/highlighter_errors.h"
#include "platform/code_pages.h"

namespace kelvara::highlight {

THashEntry::THashEntry(std::u16string keyword, int kind)
    : keywordLength_(static_cast<int>(keyword.size())), keyword_(std::move(keyword)), kind_(kind) {}

THashEntry::~THashEntry() {
    // Unlink the chain iteratively so that a long chain cannot exhaust the stack.
    std::unique_ptr<THashEntry> rest = std::move(next_);
    while (rest) {
        rest = std::move(rest->next_);
    }
}

void THashEntry::Insert(std::unique_ptr<THashEntry>& head, std::unique_ptr<THashEntry> entry) {
    // Walk the links: the new entry goes before the first longer keyword, or at the end.
    std::unique_ptr<THashEntry>* link = &head;
    while (*link) {
        THashEntry& current = **link;
        if (EqualsIgnoringCase(entry->keyword_, current.keyword_)) {
            throw EHighlighterError("Keyword \"" + platform::Utf16ToUtf8(current.keyword_) +
                                    "\" already in list");
        }
        if (entry->keywordLength_ < current.keywordLength_) {
            break;
        }
        link = &current.next_;
    }
    entry->next_ = std::move(*link);
    *link = std::move(entry);
}

void THashEntryList::Put(std::uint32_t hash, std::unique_ptr<THashEntry> entry) {
    if (hash >= chains_.size()) {
        chains_.resize(static_cast<size_t>(hash) + 1);
    }
    THashEntry::Insert(chains_[hash], std::move(entry));
}

void THashEntryList::Put(std::uint32_t hash, std::u16string keyword, int kind) {
    Put(hash, std::make_unique<THashEntry>(std::move(keyword), kind));
}

const THashEntry* THashEntryList::Get(std::uint32_t hash) const {
    return hash < chains_.size() ? chains_[hash].get() : nullptr;
}

int THashEntryList::KindOfMeasuredWord(std::uint32_t hash, const TCustomHighlighter& highlighter,
                                       int notFoundKind) const {
    const int length = highlighter.WordLength();
    for (const THashEntry* entry = Get(hash); entry; entry = entry->Next()) {
        if (entry->KeywordLength() > length) {
            break;
        }
        if (entry->KeywordLength() == length && highlighter.TokenEquals(entry->Keyword())) {
            return entry->Kind();
        }
    }
    return notFoundKind;
}

}  // namespace kelvara::highlight
