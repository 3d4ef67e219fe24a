// How much memory the machine has, for limits that keep a load from exhausting it.
#pragma once

#include <cstdint>

namespace kelvara::platform {

// The machine's physical memory in bytes (2 GiB when the system does not say).
std::uint64_t PhysicalMemoryBytes();

}  // namespace kelvara::platform
