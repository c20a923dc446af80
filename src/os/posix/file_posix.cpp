#include "os/file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "os/codepage.h"

namespace os {

// POSIX has no share modes; a file being written elsewhere opens normally.
FileHandle OpenForReading(const std::wstring& path) {
  if (path.empty()) return kNoFile;
  const std::string native = WideToUtf8(path);
  int fd;
  do {
    fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return kNoFile;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    ::close(fd);
    return kNoFile;
  }
  return fd;
}

bool ReadChunk(FileHandle file, void* buffer, std::uint32_t size, std::uint32_t* delivered) {
  *delivered = 0;
  ssize_t n;
  do {
    n = ::read(static_cast<int>(file), buffer, size);
  } while (n < 0 && errno == EINTR);
  if (n < 0) return false;
  *delivered = static_cast<std::uint32_t>(n);
  return true;
}

void CloseFile(FileHandle file) {
  if (file != kNoFile) ::close(static_cast<int>(file));
}

}  // namespace os
