// A delay before every folder listing and path lookup, as a network share
// imposes on each request: lets the tests see what a slow store does to the
// program without one. Zero (no delay) unless a test sets it.
#pragma once

#include <cstdint>

namespace os {

// Safe from any thread; takes effect for calls that start afterwards.
void SetAccessDelay(std::uint32_t milliseconds);
// Called by ListFolder and LookUpPath before they ask the file system.
void WaitAccessDelay();
// The most calls that waited at the same time since the delay was last set:
// whether requests overlapped.
std::uint32_t MostDelayedAtOnce();

}  // namespace os
