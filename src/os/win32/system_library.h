// Win32 only: DLLs from System32 alone. The program is often started from a
// folder others can write to (Downloads, a stick, a share); a DLL found there
// by name would run its code inside the program as soon as it is loaded.
#pragma once

#include <windows.h>

namespace os {

// Keeps every later DLL search to System32, the executable's folder and the
// working folder left out, and asks Windows 10 and later to prefer System32
// images and to load none from a remote share. Call it first, before any
// window or COM object is made: the common controls and the shell load
// DLLs by name. Each step is found at run time, so that a system without it
// still starts; the working folder leaves the search on any version.
void KeepDllSearchInSystem32();

// `function` of the system DLL `library` ("winmm.dll"), loaded from
// System32 and kept for the life of the process; nullptr when either cannot
// be had.
FARPROC SystemFunction(const wchar_t* library, const char* function);

}  // namespace os
