#include <windows.h>

#include "os/page_arena.h"

namespace os {

void* TakePages(std::size_t bytes) { return VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE); }

void GivePagesBack(void* at, std::size_t) { VirtualFree(at, 0, MEM_RELEASE); }

}  // namespace os
