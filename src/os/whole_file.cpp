#include "os/whole_file.h"

#include <new>

namespace os {

bool ReadInChunks(FileHandle file, const std::function<bool(std::string_view)>& take, ChunkRead read) {
  char chunk[65536];
  for (;;) {
    std::uint32_t delivered = 0;
    if (!read(file, chunk, sizeof chunk, &delivered)) return false;
    if (delivered == 0 || !take(std::string_view(chunk, delivered))) return true;
  }
}

bool ReadWholeFile(const std::wstring& path, std::string* bytes, ChunkRead read) {
  bytes->clear();
  const FileHandle file = OpenForReading(path);
  if (file == kNoFile) return false;
  bool ok;
  try {
    ok = ReadInChunks(file, [bytes](std::string_view chunk) {
      bytes->append(chunk);
      return true;
    }, read);
  } catch (const std::bad_alloc&) {
    ok = false;
  }
  CloseFile(file);
  if (!ok) std::string().swap(*bytes);
  return ok;
}

}  // namespace os
