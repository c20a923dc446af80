// Memory straight from the system, page-aligned and zeroed, given back to it
// on release: unlike the heap's, none of it stays with the process.
#pragma once

#include <cstddef>

namespace os {

// Null when the system has none to give.
void* TakeSystemMemory(std::size_t bytes);
// `bytes` as given when taken.
void GiveBackSystemMemory(void* memory, std::size_t bytes);

}  // namespace os
