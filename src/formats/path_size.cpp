#include "formats/path_size.h"

#include "os/path_info.h"

std::int64_t PathSize(const std::wstring& path) {
  if (path.empty()) return kPathNotFound;
  const os::PathInfo info = os::LookUpPath(path);
  switch (info.kind) {
    case os::PathKind::kFolder:
      return kPathIsFolder;
    case os::PathKind::kFile:
      // No file system records a size beyond the signed range; clamp anyway.
      return info.size > static_cast<std::uint64_t>(INT64_MAX) ? INT64_MAX : static_cast<std::int64_t>(info.size);
    case os::PathKind::kNothing:
      break;
  }
  return kPathNotFound;
}
