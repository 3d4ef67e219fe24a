#include "platform/system_memory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

namespace kelvara::platform {

std::uint64_t PhysicalMemoryBytes() {
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return std::uint64_t{2} << 30;
    return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
}

void PreferHugePages(void* data, std::size_t bytes) {
#if defined(MADV_HUGEPAGE)
    // Only the whole huge pages inside the buffer; below two of them it is not worth a call.
    constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
    const auto begin = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t last = (begin + bytes) & ~(kHugePage - 1);
    if (data == nullptr || last < first + 2 * kHugePage)
        return;
    // Refused where the system has no huge pages; the buffer then simply stays as it is.
    ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
    (void)data;
    (void)bytes;
#endif
}

}  // namespace kelvara::platform
