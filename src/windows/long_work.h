// Work that may run long: a calculation run or a check. While any works, the
// taskbar button shows the bytes of all of it together, and the computer is
// kept from sleeping for lack of input; when one that took long ends while
// another program is in front, the button flashes until the user comes back.
//
// Window thread only, except that a hold (HoldLongWork) may be let go on any
// thread. Nothing here touches a window itself: it speaks through
// LongWorkSignals, the system's or a test's.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "engine/file_digest_job.h"

using LongWorkId = std::uint64_t;

// Work that took longer than this and ends out of sight is told by a flash.
inline constexpr std::uint64_t kLongWorkMilliseconds = 10000;
// How often the button's progress is brought up to date while work runs.
inline constexpr std::uint32_t kLongWorkUpdateMilliseconds = 250;
// Why the computer is kept awake, as the system shows it.
inline constexpr const wchar_t* kKeepAwakeReason = L"Computing MD5 checksums";

// The bytes of the items a work still has to reach after the one its worker
// is at; asked on the window thread at each update, since rows may be added,
// unticked or deleted meanwhile.
using BytesAfter = std::function<std::int64_t()>;

// Shows the work whose worker counts into `meter` on window `window`'s
// taskbar button (every work of the program shows on the same one). Its total
// is what the meter has done plus what is left: the rest of the current file
// as recorded and `after`.
LongWorkId BeginLongWork(std::int32_t window, std::shared_ptr<const HashedBytes> meter, BytesAfter after);

enum class LongWorkEnd {
  Whole,    // it came to its end: its bar reaches its total
  Stopped,  // stopped, or its window closed: it counts no more
};
// Ends the work; a second end, or one of work never begun, does nothing.
void EndLongWork(LongWorkId id, LongWorkEnd how);
// Ends the work whole once its last copy goes, on whichever thread: given to
// the worker, it ends the work however the worker ends, or when it never
// starts. Carried to the window thread as a worker's writes are.
std::shared_ptr<void> HoldLongWork(LongWorkId id);
// Every work ends at once, shown as none: the program quits.
void EndEveryLongWork();
bool LongWorkRunning();

// The periodic update: the button shows every work's bytes together.
void UpdateLongWork();

// How the work shows itself: plain functions, the system's or a test's. Until
// the program sets the system's, nothing is shown and a hold's end is made
// where it is let go. A null function does nothing (`program_in_front`: in
// front; `milliseconds`: always 0; `carry`: the call is made at once).
struct LongWorkSignals {
  void (*show_progress)(std::int32_t window, std::uint64_t done, std::uint64_t total) = nullptr;
  void (*clear_progress)(std::int32_t window) = nullptr;
  void (*keep_awake)() = nullptr;
  void (*let_sleep)() = nullptr;
  bool (*program_in_front)() = nullptr;
  void (*flash)(std::int32_t window) = nullptr;
  std::uint64_t (*milliseconds)() = nullptr;  // a steady clock
  // Starts (on) or stops the calls of UpdateLongWork every kLongWorkUpdateMilliseconds.
  void (*repeat_updates)(std::int32_t window, bool on) = nullptr;
  // Runs `call` on the window thread, dropped when window `window` has closed.
  void (*carry)(std::int32_t window, std::function<void()> call) = nullptr;
};
// Returns the signals replaced.
LongWorkSignals ReplaceLongWorkSignals(const LongWorkSignals& signals);
