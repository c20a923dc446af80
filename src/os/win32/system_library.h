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

// How a DLL is loaded: LoadLibraryExW, or a test's stand-in for it.
using LoadLibraryExFunction = HMODULE(WINAPI*)(LPCWSTR, HANDLE, DWORD);

// The system DLL `library` ("winmm.dll") from System32, kept loaded for the
// life of the process; nullptr when it cannot be had. Where the search flags
// are refused (a Windows 7 without KB2533623) it is loaded by its full path,
// its own imports looked for in System32 before the program's folder.
HMODULE LoadFromSystem32(const wchar_t* library, LoadLibraryExFunction load = LoadLibraryExW);

// `function` of LoadFromSystem32(library); nullptr when either cannot be had.
FARPROC SystemFunctionAddress(const wchar_t* library, const char* function);

// The same as a `Function`, the function's pointer type.
template <typename Function>
Function SystemFunction(const wchar_t* library, const char* function) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(SystemFunctionAddress(library, function)));
}

}  // namespace os
