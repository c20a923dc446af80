// Images loaded from icon resources.
#include "ui/image.h"

#include <map>

namespace {

std::map<std::int32_t, HICON>& Images() {
  static std::map<std::int32_t, HICON> images;
  return images;
}

}  // namespace

bool LoadIconImage(std::int32_t image, std::int32_t resource, std::int32_t size) {
  HANDLE loaded = LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resource), IMAGE_ICON, size, size,
                             LR_DEFAULTCOLOR);
  if (!loaded) return false;
  HICON& slot = Images()[image];
  if (slot) DestroyIcon(slot);
  slot = static_cast<HICON>(loaded);
  return true;
}

HICON ImageIcon(std::int32_t image) {
  auto found = Images().find(image);
  return found == Images().end() ? nullptr : found->second;
}

void FreeImages() {
  for (auto& [number, icon] : Images()) DestroyIcon(icon);
  Images().clear();
}
