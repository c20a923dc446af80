#include "os/thread.h"

#include <memory>
#include <new>
#include <windows.h>

namespace os {
namespace {

DWORD WINAPI RunThread(void* argument) {
  std::unique_ptr<std::function<void()>> entry(static_cast<std::function<void()>*>(argument));
  (*entry)();
  return 0;
}

}  // namespace

std::uint32_t StartThread(std::function<void()> entry, bool raise_priority) {
  auto* start = new (std::nothrow) std::function<void()>(std::move(entry));
  if (!start) return 0;
  DWORD id = 0;
  HANDLE thread = CreateThread(nullptr, 0, RunThread, start, 0, &id);
  if (!thread) {
    delete start;
    return 0;
  }
  // Fails harmlessly when the thread has already ended.
  if (raise_priority) SetThreadPriority(thread, THREAD_PRIORITY_ABOVE_NORMAL);
  CloseHandle(thread);
  return id;
}

}  // namespace os
