#include "os/replace_file.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "os/codepage.h"
#include "os/access_hook.h"
#include "os/replace_file_temp.h"

namespace os {
namespace {

// A save holds an exclusive flock on its temporary file from creating it until
// it is renamed or removed, and the system drops the lock when the process
// dies. flock rather than fcntl locks: those belong to the whole process, so a
// second save on another thread could take one it already held, and closing any
// descriptor of the file would drop it.
//
// Stale is therefore: a temporary file whose lock can be taken. Where the file
// system cannot lock at all, no save can take the lock and nothing is removed.

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


int Lock(int fd, int operation) {
  int result;
  do {
    result = ::flock(fd, operation);
  } while (result != 0 && errno == EINTR);
  return result;
}

void RemoveStaleTemporaryFiles(const std::string& folder) {
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return;
  // Names first: whether readdir still returns entries after removals is unspecified.
  std::vector<std::string> names;
  while (const dirent* entry = ::readdir(dir)) {
    if (replace_temp::IsName(std::string_view(entry->d_name))) names.emplace_back(entry->d_name);
  }
  const int at = ::dirfd(dir);
  for (const std::string& name : names) {
    // No links followed, no wait on a FIFO; a temporary file may have been
    // given a target's mode that allows writing only.
    const int flags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    int fd = ::openat(at, name.c_str(), O_RDONLY | flags);
    if (fd < 0 && errno == EACCES) fd = ::openat(at, name.c_str(), O_WRONLY | flags);
    if (fd < 0) continue;
    struct stat held {};
    struct stat named {};
    // The name must still be the file locked: between opening and locking, a
    // save may have renamed it to its target and let go.
    if (::fstat(fd, &held) == 0 && S_ISREG(held.st_mode) && Lock(fd, LOCK_EX | LOCK_NB) == 0 &&
        ::fstatat(at, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 && named.st_dev == held.st_dev &&
        named.st_ino == held.st_ino) {
      ::unlinkat(at, name.c_str(), 0);
    }
    ::close(fd);
  }
  ::closedir(dir);
}

// Creates and locks a new temporary file in `folder`; -1 on failure.
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
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return -1;
    }
    // Another save's clean-up may take the file between its creation and our
    // lock; once locked it stays ours, so check that it is still there.
    struct stat held {};
    if (Lock(fd, LOCK_EX) == 0 && ::fstat(fd, &held) == 0 && held.st_nlink == 0) {
      ::close(fd);
      continue;
    }
    return fd;
  }
  return -1;
}

}  // namespace

bool ReplaceFileContents(const std::wstring& path, const ContentPieces& next) {
  if (path.empty()) return false;
  BEFORE_STORE_ACCESS(path);
  const std::string target = WideToUtf8(path);
  // rename() would replace a file the user may not write; keep that refusal.
  if (::access(target.c_str(), F_OK) == 0 && ::access(target.c_str(), W_OK) != 0) return false;
  const std::size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  RemoveStaleTemporaryFiles(folder);
  std::string temp;
  const int fd = CreateTemporaryFile(folder, &temp);
  if (fd < 0) return false;

  // An existing target keeps its permissions.
  struct stat old {};
  if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) (void)::fchmod(fd, old.st_mode & 07777);

  // fsync reports any write error; the file is closed only after the rename so
  // that it stays locked as long as it has its temporary name.
  const auto write_all = [fd](std::string_view piece) { return WriteAll(fd, piece); };
  const bool ok = replace_temp::WriteEachPiece(next, write_all) && ::fsync(fd) == 0 && ::rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) ::unlink(temp.c_str());
  ::close(fd);
  return ok;
}

}  // namespace os
