// Zero-filled memory for large stores, given without being written: big blocks are fresh pages
// from the system (which come zeroed, and in huge pages where the system allows), small ones
// come from calloc.
#pragma once

#include <cstddef>

namespace kelvara::platform {

// Null when the memory cannot be had.
void* AllocateZeroed(size_t bytes);
// Gives back a block of AllocateZeroed with the size it was asked for.
void FreeZeroed(void* block, size_t bytes);

}  // namespace kelvara::platform
