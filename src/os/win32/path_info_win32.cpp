#include "os/path_info.h"

#include <windows.h>

#include "os/path_text.h"
#include "os/slow_access.h"
#include "os/win32/long_path.h"

namespace os {
namespace {

bool IsDriveName(const std::wstring& path) {
  return (path.size() == 2 || (path.size() == 3 && IsPathSeparator(path[2]))) && path[1] == L':';
}

}  // namespace

PathInfo LookUpPath(const std::wstring& path) {
  WaitAccessDelay();
  PathInfo info;
  if (IsDriveName(path)) {
    const std::wstring root = path.substr(0, 2) + L"\\";
    const UINT type = GetDriveTypeW(root.c_str());
    if (type != DRIVE_UNKNOWN && type != DRIVE_NO_ROOT_DIR) info.kind = PathKind::kFolder;
    return info;
  }
  std::wstring name = path;
  while (name.size() > 1 && IsPathSeparator(name.back())) name.pop_back();
  // The attribute query, unlike a directory search, takes no wildcards and
  // answers for a share root ("\\server\share") as for any folder.
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (name.empty() || !GetFileAttributesExW(ExtendedLengthPath(name).c_str(), GetFileExInfoStandard, &data)) {
    return info;
  }
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
    info.kind = PathKind::kFolder;
  } else {
    info.kind = PathKind::kFile;
    info.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  }
  return info;
}

}  // namespace os
