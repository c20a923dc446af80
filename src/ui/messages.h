// The program's own window messages, kept in one place so that none collide.
#pragma once

#include <windows.h>

// Posted to the post office window when its queue of writes goes from empty
// to waiting; carries nothing, so a post that fails loses nothing.
inline constexpr UINT kMessageWritesWaiting = WM_APP + 1;
