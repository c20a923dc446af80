#include "os/folder.h"

#include <dirent.h>
#include <sys/stat.h>

#include "os/codepage.h"
#include "os/path_size.h"
#include "os/slow_access.h"

namespace os {

bool ListFolder(const std::wstring& folder, const std::function<void(const FolderItem&)>& visit) {
  WaitAccessDelay();
  const std::string native = WideToUtf8(folder);
  DIR* dir = ::opendir(native.c_str());
  if (!dir) return false;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    const std::string full = native + (native.empty() || native.back() == '/' ? "" : "/") + name;
    FolderItem item;
    item.name = Utf8ToWide(name);
    struct stat info {};
    bool is_link = entry->d_type == DT_LNK;
    if (entry->d_type == DT_UNKNOWN && ::lstat(full.c_str(), &info) == 0) is_link = S_ISLNK(info.st_mode);
    if (is_link) {
      item.is_folder_link = ::stat(full.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    } else if (entry->d_type == DT_DIR) {
      item.is_folder = true;
    } else if (entry->d_type == DT_UNKNOWN) {
      item.is_folder = ::lstat(full.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    }
    if (!item.is_folder && !item.is_folder_link) {
      item.size = ::stat(full.c_str(), &info) != 0 ? kPathNotFound : info.st_size > 0 ? info.st_size : 0;
    }
    visit(item);
  }
  ::closedir(dir);
  return true;
}

}  // namespace os
