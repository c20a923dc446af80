#pragma once

namespace os {

// Sleeps about one millisecond. On Win32 the timer resolution is raised to
// 1 ms around the sleep, otherwise Sleep(1) lasts a whole scheduler tick
// (about 15.6 ms), which would dominate the hashing of every chunk.
void PauseOneMillisecond();

}  // namespace os
