#include "os/replace_file.h"

#include <windows.h>

#include <cstdint>

#include "os/replace_file_temp.h"

namespace os {
namespace {

LONG g_temp_count = 0;

bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD want = bytes.size() > 0x40000000 ? 0x40000000 : static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), want, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

// `path` made absolute in extended-length form, which every call below takes at
// any length; empty when it cannot be resolved.
std::wstring AbsolutePath(const std::wstring& path) {
  if (path.rfind(L"\\\\?\\", 0) == 0) return path;
  std::wstring full(32768, L'\0');
  const DWORD n = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (n == 0 || n >= full.size()) return {};
  full.resize(n);
  if (full.rfind(L"\\\\.\\", 0) == 0) return L"\\\\?\\" + full.substr(4);
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

}  // namespace

bool ReplaceFileContents(const std::wstring& path, std::string_view bytes) {
  if (path.empty()) return false;
  const std::wstring target = AbsolutePath(path);
  const std::size_t slash = target.rfind(L'\\');
  if (target.empty() || slash == std::wstring::npos || slash + 1 == target.size()) return false;
  // A read-only file is the user's "do not change"; moving over it would
  // succeed on some systems.
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return false;
  const std::wstring folder = target.substr(0, slash + 1);

  const auto pid = static_cast<std::uint32_t>(GetCurrentProcessId());
  std::wstring temp;
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
    const auto count = static_cast<std::uint32_t>(InterlockedIncrement(&g_temp_count));
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    const std::uint64_t seed = static_cast<std::uint64_t>(now.QuadPart) ^ (std::uint64_t{count} << 40) ^ pid;
    temp = folder + replace_temp::Name<wchar_t>(pid, count, replace_temp::Noise(seed));
    file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) return false;
  }
  if (file == INVALID_HANDLE_VALUE) return false;

  bool ok = WriteAll(file, bytes) && FlushFileBuffers(file);
  ok = CloseHandle(file) && ok;
  // Fails, leaving the target alone, when it is read-only, locked or a folder.
  ok = ok && MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!ok) DeleteFileW(temp.c_str());
  return ok;
}

}  // namespace os
