// A list of change listeners, each registered under a key (usually the listener's address) so
// that it can be removed again. Firing calls every listener with the sender, in the order they
// were added; listeners may add or remove listeners while being fired.
#pragma once

#include <functional>
#include <vector>

namespace kelvara::highlight {

class TNotifyEventChain {
  public:
    using Handler = std::function<void(const void* sender)>;

    // Adds a listener; a key already present gets its handler replaced (it stays in place).
    void Add(const void* key, Handler handler);
    // Removes the listener of that key; an unknown key is ignored.
    void Remove(const void* key);
    bool Contains(const void* key) const;
    int Count() const { return static_cast<int>(listeners_.size()); }
    void Clear() { listeners_.clear(); }

    void Fire(const void* sender) const;

  private:
    struct Listener {
        const void* key;
        Handler handler;
    };
    std::vector<Listener> listeners_;
};

}  // namespace kelvara::highlight
