// The one size query of the program: what the file list shows, and what
// decides whether a checksum list entry or a chosen file is worth hashing.
#pragma once

#include <cstdint>
#include <string>

namespace os {

inline constexpr std::int64_t kPathNotFound = -1;
inline constexpr std::int64_t kPathIsFolder = -2;

// The size in bytes of the file at `path`; kPathIsFolder for a folder, an
// existing drive ("C:", "C:\") or a network share root; kPathNotFound for an
// empty path or when nothing is there. Trailing separators are ignored. Paths
// of any length that the file system holds are answered for in full.
std::int64_t PathSize(const std::wstring& path);

// A file's size as the file system records it, as PathSize answers it. No file
// system records one beyond the signed range; it is clamped anyway.
constexpr std::int64_t ClampedFileSize(std::uint64_t recorded) {
  return recorded > static_cast<std::uint64_t>(INT64_MAX) ? INT64_MAX : static_cast<std::int64_t>(recorded);
}

}  // namespace os
