// What the file system holds at a path.
#pragma once

#include <cstdint>
#include <string>

namespace os {

enum class PathKind { kNothing, kFile, kFolder };

struct PathInfo {
  PathKind kind = PathKind::kNothing;
  std::uint64_t size = 0;  // for kFile: the size the file system records
};

// Looks a path up without opening it. Win32: "C:", "C:\" and "C:/" name a
// drive and count as a folder when the drive exists; trailing separators are
// dropped before the lookup; wildcards never match; a network share root
// ("\\server\share") is a folder; paths of any length work. POSIX: symbolic
// links are followed; trailing "/" are dropped.
PathInfo LookUpPath(const std::wstring& path);

}  // namespace os
