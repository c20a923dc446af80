#include "os/folder.h"

namespace os {

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
  if (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/')) return folder + name;
  return folder + kPathSeparator + name;
}

}  // namespace os
