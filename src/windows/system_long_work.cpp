#include "windows/system_long_work.h"

#include <windows.h>

#include "os/keep_awake.h"
#include "ui/taskbar.h"
#include "ui/timer.h"
#include "ui/window.h"

namespace {

void KeepAwake() { os::KeepSystemAwake(kKeepAwakeReason); }

std::uint64_t Milliseconds() { return GetTickCount64(); }

void RepeatUpdates(std::int32_t window, bool on) {
  if (on)
    RepeatOnWindow(window, kLongWorkUpdateMilliseconds, UpdateLongWork);
  else
    StopRepeating();
}

}  // namespace

LongWorkSignals SystemLongWorkSignals() {
  LongWorkSignals system;
  system.show_progress = ShowTaskbarProgress;
  system.clear_progress = ClearTaskbarProgress;
  system.keep_awake = KeepAwake;
  system.let_sleep = os::LetSystemSleep;
  system.program_in_front = ProgramInFront;
  system.flash = FlashTaskbarButton;
  system.milliseconds = Milliseconds;
  system.repeat_updates = RepeatUpdates;
  system.carry = CallOnWindowThread;
  return system;
}
