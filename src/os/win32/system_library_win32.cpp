#include "os/win32/system_library.h"

#include <string>

namespace os {

namespace {

// Not in the headers for Windows 7, which this program builds against.
constexpr DWORD kSearchSystem32 = 0x00000800;           // LOAD_LIBRARY_SEARCH_SYSTEM32
constexpr DWORD kSearchFromTheDllsFolder = 0x00000008;  // LOAD_WITH_ALTERED_SEARCH_PATH
constexpr int kImageLoadPolicy = 10;                    // ProcessImageLoadPolicy
constexpr DWORD kNoRemoteImages = 0x1;
constexpr DWORD kPreferSystem32Images = 0x4;

template <typename Function>
Function KernelFunction(const char* name) {
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  return reinterpret_cast<Function>(reinterpret_cast<void*>(kernel ? GetProcAddress(kernel, name) : nullptr));
}

}  // namespace

HMODULE LoadFromSystem32(const wchar_t* library, LoadLibraryExFunction load) {
  HMODULE module = load(library, nullptr, kSearchSystem32);
  if (module || GetLastError() != ERROR_INVALID_PARAMETER) return module;
  // A Windows 7 without the search flags: the full System32 path, and the
  // DLL's own imports that are not KnownDLLs looked for beside it (in
  // System32), not beside the program.
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  return load((std::wstring(folder, length) + L"\\" + library).c_str(), nullptr, kSearchFromTheDllsFolder);
}

void KeepDllSearchInSystem32() {
  using SetDefaultDirectories = BOOL(WINAPI*)(DWORD);
  if (auto set_default = KernelFunction<SetDefaultDirectories>("SetDefaultDllDirectories"))
    set_default(kSearchSystem32);
  SetDllDirectoryW(L"");
  // The DLLs the common controls load by name, taken from System32 now: a
  // later load by that name finds them loaded. That holds where the search
  // could not be narrowed (a Windows 7 without the update that brought it)
  // and for loads the narrowed search does not reach.
  for (const wchar_t* library : {L"uxtheme.dll", L"msimg32.dll"}) LoadFromSystem32(library);

  using SetMitigation = BOOL(WINAPI*)(int, PVOID, SIZE_T);
  if (auto set_mitigation = KernelFunction<SetMitigation>("SetProcessMitigationPolicy")) {
    DWORD image_load = kNoRemoteImages | kPreferSystem32Images;
    set_mitigation(kImageLoadPolicy, &image_load, sizeof(image_load));
  }
}

FARPROC SystemFunctionAddress(const wchar_t* library, const char* function) {
  HMODULE module = LoadFromSystem32(library);
  return module ? GetProcAddress(module, function) : nullptr;
}

}  // namespace os
