#include "os/system_memory.h"

#include <windows.h>

namespace os {

void* TakeSystemMemory(std::size_t bytes) {
  return VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void GiveBackSystemMemory(void* memory, std::size_t) { VirtualFree(memory, 0, MEM_RELEASE); }

}  // namespace os
