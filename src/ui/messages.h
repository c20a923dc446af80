// The program's own window messages, kept in one place so that none collide.
#pragma once

#include <windows.h>

// Posted to the post office window; lparam owns a heap-allocated ui::Write
// that the window thread applies (or drops) and then frees.
inline constexpr UINT kMessageCarryWrite = WM_APP + 1;
