// The one way a window starts a worker that writes to it, and the stream in
// which a worker hands a window its rows.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

// Starts `entry` on a thread of its own, at above-normal priority when asked,
// bound to the windows open now: its writes to a window that is closed later
// are dropped, even when the same window has been opened again meanwhile.
// False when no thread could be started; the caller then gives back whatever
// it held for the worker, so the window never waits for one that never came.
bool StartWindowWorker(std::function<void()> entry, bool higher_priority);

// Calls a worker carries to one window, a few at most on their way at once: a
// worker that gets ahead of the window (a large tree, a window thread busy
// for a while) waits for it, never the window for the worker, and what waits
// for the window never grows with the tree.
struct WindowStream {
  struct Slots;
  std::int32_t window = -1;
  std::shared_ptr<Slots> slots;
};
WindowStream OpenWindowStream(std::int32_t window);
// Carries `call` to the window thread once the stream has room; a call is
// done with when it has run, or was dropped with its window. Returns false,
// carrying nothing, once `stop` is set.
bool CarryInStream(const WindowStream& stream, std::function<void()> call, const std::atomic<bool>& stop);
