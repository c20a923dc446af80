#include "os/win32/long_path.h"

#include <windows.h>

namespace os {

bool ShortEnoughForClassicApi(const std::wstring& path) {
  // Below MAX_PATH - 12 even a folder name with an 8.3 file name appended fits.
  return path.size() < MAX_PATH - 12;
}

std::wstring ExtendedLengthPath(const std::wstring& path, LongPathForm form) {
  if (path.rfind(L"\\\\?\\", 0) == 0) return path;
  const bool always = form == LongPathForm::kAlways;
  if (!always && ShortEnoughForClassicApi(path)) return path;
  std::wstring full(32768, L'\0');
  const DWORD n = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (n == 0 || n >= full.size()) return always ? std::wstring() : path;
  full.resize(n);
  // A device path takes the same prefix; any other "\\" path is UNC.
  if (full.rfind(L"\\\\.\\", 0) == 0) return L"\\\\?\\" + full.substr(4);
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

}  // namespace os
