#include "engine/worker.h"

#include "os/thread.h"

std::uint32_t StartWorker(std::function<void()> entry, std::int32_t raise_priority) {
  return os::StartThread(std::move(entry), raise_priority != 0);
}
