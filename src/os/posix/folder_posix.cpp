#include "os/folder.h"

#include <dirent.h>
#include <sys/stat.h>

#include <memory>

#include "os/access_hook.h"
#include "os/codepage.h"
#include "os/path_size.h"

namespace os {

namespace {

struct CloseDir {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

}  // namespace

bool ListFolder(const std::wstring& folder, const std::function<bool(const FolderItem&)>& visit) {
  BEFORE_STORE_ACCESS(folder);
  const std::string native = WideToUtf8(folder);
  const std::unique_ptr<DIR, CloseDir> dir(::opendir(native.c_str()));
  if (!dir) return false;
  while (const dirent* entry = ::readdir(dir.get())) {
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
    if (!visit(item)) break;
  }
  return true;
}

}  // namespace os
