#include "app/folder_walk.h"

#include <vector>

#include "os/folder.h"
#include "os/path_text.h"

namespace {

struct Level {
  std::wstring folder;
  std::vector<os::FolderItem> items;
  std::size_t next = 0;
};

Level ListLevel(const std::wstring& folder) {
  Level level{folder, {}, 0};
  os::ListFolder(folder, [&](const os::FolderItem& item) { level.items.push_back(item); });
  return level;
}

}  // namespace

void WalkFolderTree(const std::wstring& folder,
                    const std::function<void(const std::wstring& path, std::int64_t size)>& add_file) {
  std::vector<Level> stack;
  stack.push_back(ListLevel(folder));
  while (!stack.empty()) {
    Level& level = stack.back();
    if (level.next == level.items.size()) {
      stack.pop_back();
      continue;
    }
    const os::FolderItem& item = level.items[level.next++];
    const std::wstring path = os::JoinPath(level.folder, item.name);
    if (item.is_folder) {
      stack.push_back(ListLevel(path));  // invalidates `level`
    } else if (!item.is_folder_link) {
      add_file(path, item.size);
    }
  }
}
