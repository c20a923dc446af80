#include "os/replace_file.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "os/codepage.h"
#include "os/replace_file_temp.h"

namespace os {
namespace {

std::atomic<std::uint32_t> g_temp_count{0};

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// Creates a new temporary file in `folder`; -1 on failure.
int CreateTemporaryFile(const std::string& folder, std::string* temp) {
  const auto pid = static_cast<std::uint32_t>(::getpid());
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::uint32_t count = g_temp_count.fetch_add(1);
    timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const std::uint64_t seed = (static_cast<std::uint64_t>(now.tv_sec) << 32) ^
                               static_cast<std::uint64_t>(now.tv_nsec) ^ (std::uint64_t{count} << 20) ^ pid;
    *temp = folder + replace_temp::Name<char>(pid, count, replace_temp::Noise(seed));
    // Our own name rather than mkstemp, so that the new file gets the usual
    // 0666 less umask instead of 0600.
    const int fd = ::open(temp->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

bool ReplaceFileContents(const std::wstring& path, std::string_view bytes) {
  if (path.empty()) return false;
  const std::string target = WideToUtf8(path);
  // rename() would replace a file the user may not write; keep that refusal.
  if (::access(target.c_str(), F_OK) == 0 && ::access(target.c_str(), W_OK) != 0) return false;
  const std::size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  std::string temp;
  const int fd = CreateTemporaryFile(folder, &temp);
  if (fd < 0) return false;

  // An existing target keeps its permissions.
  struct stat old {};
  if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) (void)::fchmod(fd, old.st_mode & 07777);

  bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

}  // namespace os
