#include "os/pause.h"

#include "os/win32/pause_system.h"
#include "os/win32/system_library.h"

namespace os {

namespace {

// Not in the headers for Windows 7, which this program builds against.
constexpr DWORD kHighResolutionTimer = 0x00000002;  // CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
constexpr DWORD kTimerAllAccess = 0x001F0003;       // TIMER_ALL_ACCESS
constexpr UINT kTimerNoError = 0;                   // TIMERR_NOERROR
constexpr LONGLONG kHundredNanosecondsPerSecond = 10000000;

LONGLONG CounterFrequency() {
  static const LONGLONG frequency = [] {
    LARGE_INTEGER value{};
    QueryPerformanceFrequency(&value);
    return value.QuadPart > 0 ? value.QuadPart : 1;
  }();
  return frequency;
}

LONGLONG CounterNow() {
  LARGE_INTEGER value{};
  QueryPerformanceCounter(&value);
  return value.QuadPart;
}

// Waits about `hundred_nanoseconds` on the timer; false when the timer failed.
bool WaitOnTimer(HANDLE timer, LONGLONG hundred_nanoseconds) {
  LARGE_INTEGER due{};
  due.QuadPart = -hundred_nanoseconds;  // negative: relative to now
  return SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE) &&
         WaitForSingleObject(timer, INFINITE) == WAIT_OBJECT_0;
}

}  // namespace

const PauseSystem& SystemPause() {
  static const PauseSystem system{SystemFunction<CreateTimerFunction>(L"kernel32.dll", "CreateWaitableTimerExW"),
                                  SystemFunction<TimerPeriodFunction>(L"winmm.dll", "timeBeginPeriod"),
                                  SystemFunction<TimerPeriodFunction>(L"winmm.dll", "timeEndPeriod")};
  return system;
}

PauseKind ChoosePause(const PauseSystem& system, HANDLE* timer) {
  *timer = nullptr;
  // Before Windows 10 1803 the flag is refused (ERROR_INVALID_PARAMETER).
  if (system.create_timer) *timer = system.create_timer(nullptr, nullptr, kHighResolutionTimer, kTimerAllAccess);
  if (*timer) return PauseKind::HighResolutionTimer;
  if (system.begin_period && system.end_period) return PauseKind::RaisedResolution;
  return PauseKind::Sleep;
}

Pause::Pause() {
  HANDLE timer = nullptr;
  kind_ = ChoosePause(SystemPause(), &timer);
  timer_ = timer;
}

Pause::~Pause() {
  if (timer_) CloseHandle(static_cast<HANDLE>(timer_));
}

void Pause::OneMillisecond() {
  const PauseSystem& system = SystemPause();
  const bool raised = kind_ == PauseKind::RaisedResolution && system.begin_period(1) == kTimerNoError;
  const LONGLONG frequency = CounterFrequency();
  const LONGLONG start = CounterNow();
  const LONGLONG wanted = (frequency + 999) / 1000;  // counter ticks in 1 ms, rounded up
  for (LONGLONG elapsed = 0; elapsed < wanted; elapsed = CounterNow() - start) {
    // What is left, in the timer's units, rounded up: a wait ended early is
    // made up, so the pause is never shorter than its millisecond.
    const LONGLONG left = ((wanted - elapsed) * kHundredNanosecondsPerSecond + frequency - 1) / frequency;
    if (!timer_ || !WaitOnTimer(static_cast<HANDLE>(timer_), left)) Sleep(1);
  }
  if (raised) system.end_period(1);
}

}  // namespace os
