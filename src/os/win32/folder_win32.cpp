#include "os/folder.h"

#include <windows.h>

#include <memory>

#include "os/access_hook.h"
#include "os/path_size.h"
#include "os/path_text.h"
#include "os/win32/long_path.h"

namespace os {

namespace {

struct CloseFind {
  void operator()(HANDLE find) const { FindClose(find); }
};

}  // namespace

bool ListFolder(const std::wstring& folder, const std::function<bool(const FolderItem&)>& visit) {
  BEFORE_STORE_ACCESS(folder);
  WIN32_FIND_DATAW data;
  const std::wstring pattern = ExtendedLengthPath(JoinPath(folder, L"*"));
  HANDLE handle = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH);
  if (handle == INVALID_HANDLE_VALUE) return false;
  const std::unique_ptr<void, CloseFind> find(handle);
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    FolderItem item;
    item.name = name;
    const bool is_folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    // Only links and mount points count as links: cloud placeholders and
    // other reparse points are ordinary folders to the user.
    const bool is_link = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
                         (data.dwReserved0 == IO_REPARSE_TAG_SYMLINK || data.dwReserved0 == IO_REPARSE_TAG_MOUNT_POINT);
    item.is_folder = is_folder && !is_link;
    item.is_folder_link = is_folder && is_link;
    item.size = ClampedFileSize((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
    if (!visit(item)) break;
  } while (FindNextFileW(find.get(), &data));
  return true;
}

}  // namespace os
