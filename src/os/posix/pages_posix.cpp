#include <sys/mman.h>

#include "os/page_arena.h"

namespace os {

void* TakePages(std::size_t bytes) {
  void* at = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  return at == MAP_FAILED ? nullptr : at;
}

void GivePagesBack(void* at, std::size_t bytes) { munmap(at, bytes); }

}  // namespace os
