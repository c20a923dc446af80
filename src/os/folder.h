// Listing a folder's entries, as the folder walk needs them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace os {

struct FolderItem {
  std::wstring name;
  bool is_folder = false;
  // A link to another folder (symbolic link, junction, mount point). Walks do
  // not descend into these: a link to an ancestor would never end.
  bool is_folder_link = false;
  // For a file: its size as PathSize answers for it. Win32 takes it from the
  // listing itself; POSIX looks it up through links, as PathSize does.
  std::int64_t size = 0;
};

// Calls `visit` for every entry of `folder`, hidden and system ones included,
// in the order the file system returns them; "." and ".." are left out.
// `visit` returns false to end the listing there, so that a stop is not held
// up by a folder of a million entries. Returns false when the folder cannot
// be listed (nothing is visited then). An exception from `visit` passes
// through, the folder closed.
bool ListFolder(const std::wstring& folder, const std::function<bool(const FolderItem&)>& visit);

}  // namespace os
