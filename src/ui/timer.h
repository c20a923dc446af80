// A call repeated on the window thread. Window thread only.
#pragma once

#include <cstdint>
#include <functional>

// Calls `call` every `milliseconds` for as long as window `number` is open,
// until StopRepeating. One such call at a time: a new one replaces it. False
// when the window is not open or the system has no timer left.
bool RepeatOnWindow(std::int32_t number, std::uint32_t milliseconds, std::function<void()> call);
void StopRepeating();
