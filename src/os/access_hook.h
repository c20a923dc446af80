// Test builds only: a hook run before every folder listing, path lookup and
// file replacement, so that the tests can make the store slow, as a network
// share is, or hold a request until they let it go. The shipped program has
// no trace of it: its listing, lookup and replacement are compiled again
// without SUMWICK_ACCESS_HOOK, and the
// copies built with it are never linked in (src/CMakeLists.txt).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace os {

#ifdef SUMWICK_ACCESS_HOOK
#define BEFORE_STORE_ACCESS(path) ::os::RunAccessHook(path)
#else
#define BEFORE_STORE_ACCESS(path) static_cast<void>(0)
#endif

// The path about to be listed or looked up. Runs on the thread that asks.
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

}  // namespace os
