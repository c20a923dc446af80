#include "windows/window_worker.h"

#include "engine/worker.h"
#include "ui/window.h"

bool StartWindowWorker(std::function<void()> entry, bool higher_priority) {
  return StartWorker(BindToOpenWindows(std::move(entry)), higher_priority) != 0;
}
