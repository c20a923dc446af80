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
      return ClampedFileSize(info.size);
    case PathKind::kNothing:
      break;
  }
  return kPathNotFound;
}

}  // namespace os
