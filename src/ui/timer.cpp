#include "ui/timer.h"

#include <windows.h>

#include "ui/window.h"

namespace {

// Apart from the timers the services use on their own windows.
constexpr UINT_PTR kRepeatTimer = 0x5257;

// Window thread only: the timer is the window thread's, its calls come there.
struct Repeat {
  HWND window = nullptr;
  std::function<void()> call;
};

Repeat& TheRepeat() {
  static Repeat repeat;
  return repeat;
}

// Served by the loop's DispatchMessage, and by any modal loop's.
void CALLBACK Repeated(HWND window, UINT, UINT_PTR, DWORD) {
  const Repeat& repeat = TheRepeat();
  if (window == repeat.window && repeat.call) repeat.call();
}

}  // namespace

bool RepeatOnWindow(std::int32_t number, std::uint32_t milliseconds, std::function<void()> call) {
  StopRepeating();
  const HWND window = WindowHandle(number);
  if (!window || !SetTimer(window, kRepeatTimer, milliseconds, Repeated)) return false;
  TheRepeat() = Repeat{window, std::move(call)};
  return true;
}

void StopRepeating() {
  Repeat& repeat = TheRepeat();
  // The window may be gone, and its timer with it: harmless then.
  if (repeat.window) KillTimer(repeat.window, kRepeatTimer);
  repeat = Repeat{};
}
