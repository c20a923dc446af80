// Files dropped on a window from the shell (list-of-files format only).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <windows.h>

#include <shellapi.h>

// Registers `window` as a drop target; a drop anywhere on it raises a drop
// event with the paths. Revoked when the window is destroyed.
bool EnableFileDrop(std::int32_t window);
// The paths of a list-of-files handle, in order.
std::vector<std::wstring> DroppedPaths(HDROP drop);
