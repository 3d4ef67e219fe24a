#pragma once

#include <cstdint>

namespace kelvara::platform {

// Milliseconds from a monotonic clock (wraps like a 32-bit tick count).
uint32_t TickCount();

}  // namespace kelvara::platform
