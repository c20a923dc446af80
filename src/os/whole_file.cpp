#include "os/whole_file.h"

#include <new>

#include "os/file.h"

namespace os {

bool ReadWholeFile(const std::wstring& path, std::string* bytes) {
  bytes->clear();
  const FileHandle file = OpenForReading(path);
  if (file == kNoFile) return false;
  bool ok = true;
  try {
    char chunk[65536];
    for (;;) {
      std::uint32_t delivered = 0;
      if (!ReadChunk(file, chunk, sizeof chunk, &delivered)) {
        ok = false;
        break;
      }
      if (delivered == 0) break;
      bytes->append(chunk, delivered);
    }
  } catch (const std::bad_alloc&) {
    ok = false;
  }
  CloseFile(file);
  if (!ok) std::string().swap(*bytes);
  return ok;
}

}  // namespace os
