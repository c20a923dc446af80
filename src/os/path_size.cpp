#include "os/path_size.h"

#include "os/path_info.h"

namespace os {

std::int64_t PathSize(const std::wstring& path) {
  if (path.empty()) return kPathNotFound;
  const PathInfo info = LookUpPath(path);
  switch (info.kind) {
    case PathKind::kFolder:
      return kPathIsFolder;
    case PathKind::kFile:
      // No file system records a size beyond the signed range; clamp anyway.
      return info.size > static_cast<std::uint64_t>(INT64_MAX) ? INT64_MAX : static_cast<std::int64_t>(info.size);
    case PathKind::kNothing:
      break;
  }
  return kPathNotFound;
}

}  // namespace os
