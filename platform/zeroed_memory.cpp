#include "platform/zeroed_memory.h"

#include <cstdint>
#include <cstdlib>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace kelvara::platform {

namespace {
#if defined(__linux__)
// Blocks from this size on are mapped directly, aligned to the usual huge page size.
constexpr size_t kMappedFrom = size_t(1) << 20;
constexpr size_t kHugePage = size_t(2) << 20;

size_t MappedSize(size_t bytes) {
    return (bytes + kHugePage - 1) / kHugePage * kHugePage;
}
#endif
}  // namespace

void* AllocateZeroed(size_t bytes) {
#if defined(__linux__)
    if (bytes >= kMappedFrom) {
        const size_t size = MappedSize(bytes);
        if (size < bytes || size + kHugePage < size) {
            return nullptr;
        }
        void* mapped = mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE,
                            MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapped == MAP_FAILED) {
            return nullptr;
        }
        // Keep the aligned part only: the pages are then faulted in 2 MiB at a time.
        const auto start = reinterpret_cast<uintptr_t>(mapped);
        const uintptr_t aligned = (start + kHugePage - 1) / kHugePage * kHugePage;
        if (aligned > start) {
            munmap(mapped, aligned - start);
        }
        const uintptr_t tail = aligned + size;
        if (start + size + kHugePage > tail) {
            munmap(reinterpret_cast<void*>(tail), start + size + kHugePage - tail);
        }
        void* block = reinterpret_cast<void*>(aligned);
        madvise(block, size, MADV_HUGEPAGE);
        return block;
    }
#endif
    return std::calloc(bytes ? bytes : 1, 1);
}

void FreeZeroed(void* block, size_t bytes) {
    if (!block) {
        return;
    }
#if defined(__linux__)
    if (bytes >= kMappedFrom) {
        munmap(block, MappedSize(bytes));
        return;
    }
#endif
    std::free(block);
}

}  // namespace kelvara::platform
