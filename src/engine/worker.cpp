#include "engine/worker.h"

#include <atomic>

#include "os/thread.h"

namespace {
std::atomic<std::uint32_t> g_current_worker{0};
}

std::uint32_t StartWorker(std::function<void()> entry, std::int32_t raise_priority) {
  const std::uint32_t number = os::StartThread(std::move(entry), raise_priority != 0);
  if (number != 0) g_current_worker.store(number);
  return number;
}

std::uint32_t CurrentWorker() { return g_current_worker.load(); }
