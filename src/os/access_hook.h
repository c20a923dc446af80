// Test builds only: a hook run before every folder listing, path lookup and
// file replacement, so that the tests can make the store slow, as a network
// share is, or hold a request until they let it go. The shipped program has
// no trace of it: its listing, lookup, replacement and clock are compiled
// again without SUMWICK_ACCESS_HOOK, and the copies built with it are never
// linked in (src/CMakeLists.txt).
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace os {

#ifdef SUMWICK_ACCESS_HOOK
#define BEFORE_STORE_ACCESS(path) ::os::RunAccessHook(path)
#else
#define BEFORE_STORE_ACCESS(path) static_cast<void>(0)
#endif

// The path about to be listed, looked up or replaced. Runs on the thread that
// asks.
using AccessHook = std::function<void(const std::wstring& path)>;

// Safe from any thread; calls that start afterwards run `hook` (none when
// empty). A call already running keeps the hook it started with.
void SetAccessHook(AccessHook hook);
void RunAccessHook(const std::wstring& path);

// A hook that waits `milliseconds` before every request, as a share does.
void SetAccessDelay(std::uint32_t milliseconds);
// The most requests that waited at the same time since the delay was last
// set: whether requests overlapped.
std::uint32_t MostDelayedAtOnce();

// A clock of the tests' own in place of the steady clock (os/steady_now.h):
// once started it stands still, and moves only when AdvanceAccessHookClock
// moves it (a hook's way of making a request take that long); stopped, the
// steady clock serves again. Safe from any thread.
void StartAccessHookClock();
void StopAccessHookClock();
void AdvanceAccessHookClock(std::chrono::microseconds by);
// The held clock's time, when it is started.
bool AccessHookClockNow(std::chrono::steady_clock::time_point* now);

}  // namespace os
