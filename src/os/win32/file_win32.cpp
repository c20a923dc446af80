#include "os/file.h"

#include <windows.h>

#include "os/win32/long_path.h"

namespace os {

FileHandle OpenForReading(const std::wstring& path) {
  if (path.empty()) return kNoFile;
  // Without FILE_FLAG_BACKUP_SEMANTICS a folder cannot be opened, as intended.
  HANDLE file = CreateFileW(ExtendedLengthPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return kNoFile;
  return reinterpret_cast<FileHandle>(file);
}

bool ReadChunk(FileHandle file, void* buffer, std::uint32_t size, std::uint32_t* delivered) {
  DWORD n = 0;
  const BOOL ok = ::ReadFile(reinterpret_cast<HANDLE>(file), buffer, size, &n, nullptr);
  *delivered = ok ? n : 0;
  return ok != FALSE;
}

void CloseFile(FileHandle file) {
  if (file != kNoFile) CloseHandle(reinterpret_cast<HANDLE>(file));
}

}  // namespace os
