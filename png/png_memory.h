// Zero-filled vectors for the large image stores, on the platform's zero-filled memory (big
// blocks are fresh pages, never written to clear them).
#pragma once

#include <cstddef>
#include <new>
#include <utility>
#include <vector>

#include "platform/zeroed_memory.h"

namespace kelvara::png {

template <class T>
struct TZeroedAllocator {
    using value_type = T;

    TZeroedAllocator() = default;
    template <class U>
    TZeroedAllocator(const TZeroedAllocator<U>&) {}

    T* allocate(size_t count) {
        if (count > size_t(-1) / sizeof(T)) {
            throw std::bad_alloc();
        }
        void* block = platform::AllocateZeroed(count * sizeof(T));
        if (!block) {
            throw std::bad_alloc();
        }
        return static_cast<T*>(block);
    }
    void deallocate(T* block, size_t count) { platform::FreeZeroed(block, count * sizeof(T)); }

    // Value-initialised elements are left as allocated, which is zero.
    template <class U>
    void construct(U*) noexcept {}
    template <class U, class... Args>
    void construct(U* at, Args&&... args) {
        ::new (static_cast<void*>(at)) U(std::forward<Args>(args)...);
    }

    template <class U>
    bool operator==(const TZeroedAllocator<U>&) const {
        return true;
    }
};

template <class T>
using TZeroedVector = std::vector<T, TZeroedAllocator<T>>;

// Replaces the contents by `count` zero elements in a new block.
template <class T>
void AssignZeroed(TZeroedVector<T>& store, size_t count) {
    TZeroedVector<T>().swap(store);
    store.resize(count);
}

}  // namespace kelvara::png
