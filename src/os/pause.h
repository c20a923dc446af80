// Pauses of about one millisecond: the digest job's breath after every chunk.
#pragma once

namespace os {

// How a thread's pauses are made, as the system allows, best first.
enum class PauseKind {
  // A high-resolution waitable timer (Windows 10 1803 and later): exact
  // whatever the window's state. Windows 11 no longer honours a raised timer
  // resolution for a process whose windows are minimized or covered, and a
  // Sleep(1) there lasts a whole tick of about 15.6 ms.
  HighResolutionTimer,
  // The timer resolution raised to 1 ms around Sleep(1).
  RaisedResolution,
  // A plain sleep: POSIX, or a Windows without even the timer's functions.
  Sleep,
};

// The pauses of one thread. Made and used on that thread; what it needs (the
// Win32 timer) is made once and closed with it, so one per worker run.
class Pause {
 public:
  Pause();
  ~Pause();
  Pause(const Pause&) = delete;
  Pause& operator=(const Pause&) = delete;

  // Never shorter than 1 ms: a wait that ends early is followed by another for
  // the rest. Never skipped.
  void OneMillisecond();
  PauseKind Kind() const { return kind_; }

 private:
  friend struct PauseTestAccess;
  PauseKind kind_ = PauseKind::Sleep;
  void* timer_ = nullptr;  // Win32: the waitable timer, with HighResolutionTimer
};

}  // namespace os
