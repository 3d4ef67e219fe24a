// The process-wide list of highlighter classes: each class is entered once, by its internal
// language name, with a function that creates an instance.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kelvara::highlight {

class TCustomHighlighter;

class THighlighterList {
  public:
    using Factory = std::function<std::unique_ptr<TCustomHighlighter>()>;
    struct Entry {
        std::string languageName;
        Factory create;
    };

    // Adds a class; a name already present is left as it is. Returns whether it was added.
    bool Add(std::string languageName, Factory create);
    int Count() const { return static_cast<int>(entries_.size()); }
    // nullptr outside 0..Count()-1.
    const Entry* At(int index) const;
    const Entry* Find(std::string_view languageName) const;

  private:
    std::vector<Entry> entries_;
};

// The single list of the process (created on first use, freed at exit).
THighlighterList& HighlighterClasses();

}  // namespace kelvara::highlight
