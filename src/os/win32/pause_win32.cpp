#include "os/pause.h"

#include <windows.h>

#include "os/win32/system_library.h"

namespace os {

namespace {

using TimerPeriod = UINT(WINAPI*)(UINT);
constexpr UINT kTimerNoError = 0;  // TIMERR_NOERROR

// Bound once, from System32: an import would have the loader look for the
// DLL beside the executable first.
struct TimerFunctions {
  TimerPeriod begin = nullptr;
  TimerPeriod end = nullptr;
};

const TimerFunctions& Timer() {
  static const TimerFunctions timer{SystemFunction<TimerPeriod>(L"winmm.dll", "timeBeginPeriod"),
                                    SystemFunction<TimerPeriod>(L"winmm.dll", "timeEndPeriod")};
  return timer;
}

}  // namespace

void PauseOneMillisecond() {
  // Without the timer's functions the pause still sleeps, only longer.
  const TimerFunctions& timer = Timer();
  const bool raised = timer.begin && timer.end && timer.begin(1) == kTimerNoError;
  Sleep(1);
  if (raised) timer.end(1);
}

}  // namespace os
