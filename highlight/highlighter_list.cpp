#include "highlight/highlighter_list.h"

#include "highlight/custom_highlighter.h"

namespace kelvara::highlight {

bool THighlighterList::Add(std::string languageName, Factory create) {
    if (Find(languageName)) {
        return false;
    }
    entries_.push_back({std::move(languageName), std::move(create)});
    return true;
}

const THighlighterList::Entry* THighlighterList::At(int index) const {
    if (index < 0 || index >= Count()) {
        return nullptr;
    }
    return &entries_[static_cast<size_t>(index)];
}

const THighlighterList::Entry* THighlighterList::Find(std::string_view languageName) const {
    for (const Entry& entry : entries_) {
        if (entry.languageName == languageName) {
            return &entry;
        }
    }
    return nullptr;
}

THighlighterList& HighlighterClasses() {
    static THighlighterList list;
    return list;
}

}  // namespace kelvara::highlight
