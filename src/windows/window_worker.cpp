#include "windows/window_worker.h"

#include "os/thread.h"
#include "ui/window.h"

bool StartWindowWorker(std::function<void()> entry, bool higher_priority) {
  return os::StartThread(BindToOpenWindows(std::move(entry)), higher_priority) != 0;
}
