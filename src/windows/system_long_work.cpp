#include "windows/system_long_work.h"

#include <windows.h>

#include "os/keep_awake.h"
#include "ui/taskbar.h"
#include "ui/timer.h"
#include "ui/window.h"

LongWorkSignals SystemLongWorkSignals() {
  LongWorkSignals system;
  system.show_progress = ShowTaskbarProgress;
  system.clear_progress = ClearTaskbarProgress;
  system.keep_awake = [] { os::KeepSystemAwake(kKeepAwakeReason); };
  system.let_sleep = os::LetSystemSleep;
  system.program_in_front = ProgramInFront;
  system.flash = FlashTaskbarButton;
  system.milliseconds = [] { return static_cast<std::uint64_t>(GetTickCount64()); };
  system.repeat_updates = [](std::int32_t window, bool on) {
    if (on)
      RepeatOnWindow(window, kLongWorkUpdateMilliseconds, UpdateLongWork);
    else
      StopRepeating();
  };
  system.carry = CallOnWindowThread;
  return system;
}
