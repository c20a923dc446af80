// Windows addressed by number. Window thread only, except where a function
// says it is safe from any thread.
//
// Positions and sizes, here and in the other services, are in 96-DPI units:
// each window is laid out for the DPI of the display it is on (the system's
// where Windows tells no other) and scales them by that DPI / 96, and sizes
// read back are turned back into those units. A window moved to a display of
// another scale is laid out again for it, and then gets a size event.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include <windows.h>

enum class WindowStyle {
  Main,           // resizable, minimize and maximize boxes, shown at the given position
  Tool,           // small caption with the title only, centred over its owner
  ToolWithClose,  // small caption with system menu and close box, centred over its owner
};

inline constexpr std::int32_t kNoWindow = -1;

// Sets up the services on the calling thread, which becomes the window thread:
// common controls, OLE (for file drops), window classes and the queue that
// carries workers' writes. Idempotent; OpenWindow calls it.
bool StartUi();
bool OnWindowThread();

// Opens window `number` with a client area of width x height. Main windows
// put their outer top-left corner at (x, y); tool windows are centred over the
// owner's outer rectangle, left and top clamped at 0, and take the owner's
// scale. The program icon (resource 1, when the program has one) becomes the
// window icon. The window becomes the current one for gadget creation. False
// if it cannot be made.
bool OpenWindow(std::int32_t number, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                const std::wstring& title, WindowStyle style, std::int32_t owner = kNoWindow);

// Destroys the window with its gadgets; activates the owner first. Writes
// still on their way to it are dropped when they arrive.
void CloseWindowNumber(std::int32_t number);
// Closes every open window, the highest number first (tool windows before the
// main window, which would take its owned windows along).
void CloseEveryWindow();

bool IsWindowOpen(std::int32_t number);
// Safe from any thread.
void EnableWindowNumber(std::int32_t number, bool enable);
std::int32_t WindowClientHeight(std::int32_t number);
// The DPI the window is laid out for: 96 at 100%, 144 at 150%. 96 for none.
// Safe from any thread.
std::int32_t WindowDpi(std::int32_t number);
// The window can no longer be made smaller than its outer size at this moment.
void FixMinimumSize(std::int32_t number);
void SetCurrentWindow(std::int32_t number);

// Wraps a worker's entry so that its writes target the windows as they are
// opened now: a write to a window that is closed later is dropped, even when
// the same window number has been opened again meanwhile. Call on the window
// thread, right before starting the worker.
std::function<void()> BindToOpenWindows(std::function<void()> entry);

// Runs `call` on the window thread: at once when made there, else carried
// like a write, in order with the caller's other writes, and dropped when
// window `number` has been closed since. For a worker's step that must be
// decided where the window's state lives (is my run still the current one?).
void CallOnWindowThread(std::int32_t number, std::function<void()> call);

// How the write queue wakes the window thread; PostMessageW unless replaced.
// A test replaces it with one that refuses, as a full message queue does on
// Windows. Null restores PostMessageW. Returns the one it replaced.
using WakePost = BOOL(WINAPI*)(HWND, UINT, WPARAM, LPARAM);
WakePost ReplaceWakePost(WakePost post);

// The window's native handle, or null; for tests and for the few platform
// calls the services do not cover.
HWND WindowHandle(std::int32_t number);
