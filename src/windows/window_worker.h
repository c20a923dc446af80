// The one way a window starts a worker that writes to it.
#pragma once

#include <functional>

// Starts `entry` on a thread of its own, at above-normal priority when asked,
// bound to the windows open now: its writes to a window that is closed later
// are dropped, even when the same window has been opened again meanwhile.
// False when no thread could be started; the caller then gives back whatever
// it held for the worker, so the window never waits for one that never came.
bool StartWindowWorker(std::function<void()> entry, bool higher_priority);
