// How much memory the machine has, for limits that keep a load from exhausting it, and how
// large buffers are laid out in it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kelvara::platform {

// The machine's physical memory in bytes (2 GiB when the system does not say).
std::uint64_t PhysicalMemoryBytes();

// Asks the system to back a large buffer that is about to be filled with huge pages where it
// can (a hint; nothing changes for the program). A loaded text's buffers take tens of
// megabytes, and faulting them in page by page costs about as much as decoding them. Call it
// after allocating and before the first write; buffers below a few megabytes are left alone.
void PreferHugePages(void* data, std::size_t bytes);

}  // namespace kelvara::platform
