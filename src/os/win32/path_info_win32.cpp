#include "os/path_info.h"

#include <windows.h>

#include "os/access_hook.h"
#include "os/path_text.h"
#include "os/win32/long_path.h"

namespace os {
namespace {

bool IsDriveName(const std::wstring& path) {
  return (path.size() == 2 || (path.size() == 3 && IsPathSeparator(path[2]))) && path[1] == L':';
}

}  // namespace

PathInfo LookUpPath(const std::wstring& path) {
  BEFORE_STORE_ACCESS(path);
  PathInfo info;
  if (IsDriveName(path)) {
    const std::wstring root = path.substr(0, 2) + L"\\";
    const UINT type = GetDriveTypeW(root.c_str());
    if (type != DRIVE_UNKNOWN && type != DRIVE_NO_ROOT_DIR) info.kind = PathKind::kFolder;
    return info;
  }
  // Copied only when it must change: a list's million lookups would
  // otherwise spend a good part of their time on the heap.
  std::size_t length = path.size();
  while (length > 1 && IsPathSeparator(path[length - 1])) --length;
  const std::wstring trimmed = length < path.size() ? path.substr(0, length) : std::wstring();
  const std::wstring& name = length < path.size() ? trimmed : path;
  const std::wstring extended = ShortEnoughForClassicApi(name) ? std::wstring() : ExtendedLengthPath(name);
  // The attribute query, unlike a directory search, takes no wildcards and
  // answers for a share root ("\\server\share") as for any folder.
  WIN32_FILE_ATTRIBUTE_DATA data{};
  const wchar_t* query = extended.empty() ? name.c_str() : extended.c_str();
  if (name.empty() || !GetFileAttributesExW(query, GetFileExInfoStandard, &data)) return info;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
    info.kind = PathKind::kFolder;
  } else {
    info.kind = PathKind::kFile;
    info.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  }
  return info;
}

}  // namespace os
