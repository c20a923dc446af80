#include "os/system_memory.h"

#include <sys/mman.h>

namespace os {

void* TakeSystemMemory(std::size_t bytes) {
  void* memory = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  return memory == MAP_FAILED ? nullptr : memory;
}

void GiveBackSystemMemory(void* memory, std::size_t bytes) { munmap(memory, bytes); }

}  // namespace os
