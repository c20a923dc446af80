// Win32 only: what a thread's pauses are made with, apart, so that a test can
// offer less than the system does.
#pragma once

#include <windows.h>

#include "os/pause.h"

namespace os {

using CreateTimerFunction = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, LPCWSTR, DWORD, DWORD);
using TimerPeriodFunction = UINT(WINAPI*)(UINT);

// Each bound at run time, from System32: Windows 7 lacks the timer's flag, and
// an import of winmm would have the loader look beside the program first.
struct PauseSystem {
  CreateTimerFunction create_timer = nullptr;  // CreateWaitableTimerExW
  TimerPeriodFunction begin_period = nullptr;  // timeBeginPeriod
  TimerPeriodFunction end_period = nullptr;    // timeEndPeriod
};

// This system's, bound once.
const PauseSystem& SystemPause();

// The best way to pause that `system` offers. With HighResolutionTimer,
// *timer is the thread's new timer, the caller's to close.
PauseKind ChoosePause(const PauseSystem& system, HANDLE* timer);

}  // namespace os
