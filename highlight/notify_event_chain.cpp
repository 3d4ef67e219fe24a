#include "highlight/notify_event_chain.h"

#include <algorithm>

namespace kelvara::highlight {

void TNotifyEventChain::Add(const void* key, Handler handler) {
    for (Listener& listener : listeners_) {
        if (listener.key == key) {
            listener.handler = std::move(handler);
            return;
        }
    }
    listeners_.push_back({key, std::move(handler)});
}

void TNotifyEventChain::Remove(const void* key) {
    std::erase_if(listeners_, [key](const Listener& listener) { return listener.key == key; });
}

bool TNotifyEventChain::Contains(const void* key) const {
    return std::any_of(listeners_.begin(), listeners_.end(),
                       [key](const Listener& listener) { return listener.key == key; });
}

void TNotifyEventChain::Fire(const void* sender) const {
    // A listener may hook or unhook others (or itself) while it runs: fire a snapshot, and skip
    // listeners removed meanwhile.
    const std::vector<Listener> snapshot = listeners_;
    for (const Listener& listener : snapshot) {
        if (listener.handler && Contains(listener.key)) {
            listener.handler(sender);
        }
    }
}

}  // namespace kelvara::highlight
