#include "os/path_info.h"

#include <sys/stat.h>

#include "os/access_hook.h"
#include "os/codepage.h"

namespace os {

PathInfo LookUpPath(const std::wstring& path) {
  BEFORE_STORE_ACCESS(path);
  std::string native = WideToUtf8(path);
  while (native.size() > 1 && native.back() == '/') native.pop_back();
  PathInfo info;
  struct stat st {};
  if (native.empty() || ::stat(native.c_str(), &st) != 0) return info;
  if (S_ISDIR(st.st_mode)) {
    info.kind = PathKind::kFolder;
  } else {
    info.kind = PathKind::kFile;
    info.size = st.st_size > 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
  }
  return info;
}

}  // namespace os
