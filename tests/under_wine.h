// Windows tests only: whether they run under Wine, where some of Windows'
// behaviour is missing and is simulated or checked otherwise.
#pragma once

#include <windows.h>

inline bool RunningUnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}
