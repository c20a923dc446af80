#pragma once

#include <cstdint>
#include <functional>
#include <string>

// Calls `add_file` with the path and size of every file below `folder`, at any
// depth, depth first in the order the file system lists each folder: a
// subfolder's files come right where the subfolder stands. Hidden and system
// files are included; links to folders are not followed; folders that cannot
// be listed add nothing. Each size is the one the folder's listing gave, as
// os::PathSize answers it: no file is looked up again. Uses its own stack, so
// deep trees cannot exhaust the thread's.
void WalkFolderTree(const std::wstring& folder,
                    const std::function<void(const std::wstring& path, std::int64_t size)>& add_file);
