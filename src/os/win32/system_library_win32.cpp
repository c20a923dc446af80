#include "os/win32/system_library.h"

#include <string>

namespace os {

namespace {

// Not in the headers for Windows 7, which this program builds against.
constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
constexpr int kImageLoadPolicy = 10;           // ProcessImageLoadPolicy
constexpr DWORD kNoRemoteImages = 0x1;
constexpr DWORD kPreferSystem32Images = 0x4;

FARPROC KernelFunction(const char* name) {
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  return kernel ? GetProcAddress(kernel, name) : nullptr;
}

// Kept loaded for the life of the process.
HMODULE LoadFromSystem32(const wchar_t* library) {
  HMODULE module = LoadLibraryExW(library, nullptr, kSearchSystem32);
  if (module || GetLastError() != ERROR_INVALID_PARAMETER) return module;
  // A Windows 7 without the search flags: the full System32 path instead.
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  return LoadLibraryExW((std::wstring(folder, length) + L"\\" + library).c_str(), nullptr, 0);
}

}  // namespace

void KeepDllSearchInSystem32() {
  using SetDefaultDirectories = BOOL(WINAPI*)(DWORD);
  if (auto set_default = reinterpret_cast<SetDefaultDirectories>(
          reinterpret_cast<void*>(KernelFunction("SetDefaultDllDirectories"))))
    set_default(kSearchSystem32);
  SetDllDirectoryW(L"");
  // The DLLs the common controls load by name, taken from System32 now: a
  // later load by that name finds them loaded. That holds where the search
  // could not be narrowed (a Windows 7 without the update that brought it)
  // and for loads the narrowed search does not reach.
  for (const wchar_t* library : {L"uxtheme.dll", L"msimg32.dll"}) LoadFromSystem32(library);

  using SetMitigation = BOOL(WINAPI*)(int, PVOID, SIZE_T);
  if (auto set_mitigation = reinterpret_cast<SetMitigation>(
          reinterpret_cast<void*>(KernelFunction("SetProcessMitigationPolicy")))) {
    DWORD image_load = kNoRemoteImages | kPreferSystem32Images;
    set_mitigation(kImageLoadPolicy, &image_load, sizeof(image_load));
  }
}

FARPROC SystemFunction(const wchar_t* library, const char* function) {
  HMODULE module = LoadFromSystem32(library);
  return module ? GetProcAddress(module, function) : nullptr;
}

}  // namespace os
