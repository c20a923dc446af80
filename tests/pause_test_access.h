// Win32 only: a pause made the way a given offer of the system allows, for
// the tests and the benchmark.
#pragma once

#include "os/pause.h"
#include "os/win32/pause_system.h"

namespace os {

struct PauseTestAccess {
  static void Choose(Pause& pause, const PauseSystem& system) {
    if (pause.timer_) CloseHandle(static_cast<HANDLE>(pause.timer_));
    HANDLE timer = nullptr;
    pause.kind_ = ChoosePause(system, &timer);
    pause.timer_ = timer;
  }
};

}  // namespace os
