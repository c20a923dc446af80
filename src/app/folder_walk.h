#pragma once

#include <functional>
#include <string>

// Calls `add_file` for every file below `folder`, at any depth, depth first in
// the order the file system lists each folder: a subfolder's files come right
// where the subfolder stands. Hidden and system files are included; links to
// folders are not followed; folders that cannot be listed add nothing. Uses
// its own stack, so deep trees cannot exhaust the thread's.
void WalkFolderTree(const std::wstring& folder, const std::function<void(const std::wstring& path)>& add_file);
