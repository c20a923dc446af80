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

}  // namespace os
