// A save that fails must leave the file it would have replaced as it was, and
// no temporary file behind; a save works for any name the file system takes.
#include <gtest/gtest.h>

#include <cerrno>
#include <thread>

#include "checksum_list_helpers.h"
#include "formats/checksum_list.h"
#include "formats/settings.h"
#include "formats_test_support.h"
#include "os/replace_file.h"
#include "os/whole_file.h"
#include "test_files.h"

#ifdef _WIN32
#include <windows.h>

#include "os/win32/long_path.h"
#include "under_wine.h"
#else
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "os/codepage.h"
#endif

namespace {

namespace fs = std::filesystem;

const std::vector<ShownRow> kRows = {{true, L"a.txt", L"0cc175b9c0f1b6a831c399e269772661"}};
const std::string kOldList = "\xEF\xBB\xBF" "old.txt  92eb5ffee6ae2fec3ad71c777531578f\r\n";

TEST(SafeSave, ALargeFileIsReadBackWhole) {
  ScratchFolder folder;
  const std::string bytes = PatternBytes(300000);  // several read chunks
  const std::wstring path = folder.PathOf(L"large.md5");
  ASSERT_TRUE(os::ReplaceFileContents(path, bytes));
  std::string read = "held before";  // replaced, not added to
  const int open_files = OpenFileCount();
  ASSERT_TRUE(os::ReadWholeFile(path, &read));
  EXPECT_EQ(read, bytes);
  EXPECT_EQ(OpenFileCount(), open_files) << "and closed again";
}

// A read failing part-way fails the whole: a caller never takes part of a
// file for all of it.
TEST(SafeSave, AFileWhoseReadFailsIsNotReadAtAll) {
  ScratchFolder folder;
  const std::wstring path = folder.Write(L"three pieces", PatternBytes(150000));
  std::string read = "stale";
  g_reads = 0;
  EXPECT_FALSE(os::ReadWholeFile(path, &read, FailingRead));
  EXPECT_EQ(g_reads, 2);
  EXPECT_TRUE(read.empty()) << "the first piece is kept: " << read.size() << " bytes";

  // The system's own failure, from the first piece on.
  read = "stale";
#ifdef _WIN32
  if (RunningUnderWine()) {
    // Wine reads locked bytes; its view of this process's memory file fails
    // from offset 0 with an I/O error.
    EXPECT_FALSE(os::ReadWholeFile(L"Z:\\proc\\self\\mem", &read));
  } else {
    // Bytes another handle has locked cannot be read: the first piece can be,
    // the second not.
    HANDLE locker = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(locker, INVALID_HANDLE_VALUE);
    OVERLAPPED at{};
    at.Offset = 100000;
    ASSERT_TRUE(LockFileEx(locker, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at));
    EXPECT_FALSE(os::ReadWholeFile(path, &read));
    UnlockFileEx(locker, 0, 1, 0, &at);
    CloseHandle(locker);
  }
#else
  // Reading a process's own memory file from offset 0 fails with an I/O error.
  EXPECT_FALSE(os::ReadWholeFile(L"/proc/self/mem", &read));
#endif
  EXPECT_EQ(read, "");
}

TEST(SafeSave, MissingFolder) {
  ScratchFolder folder;
  EXPECT_FALSE(WriteListOf(folder.PathOf(L"no such folder/sums.md5"), kRows));
  EXPECT_EQ(FolderListing(folder.root), "");
}

TEST(SafeSave, TargetIsAFolder) {
  ScratchFolder folder;
  fs::create_directory(folder.root / "sums.md5");
  folder.Write(L"sums.md5/inside.txt", "kept");
  EXPECT_FALSE(WriteListOf(folder.PathOf(L"sums.md5"), kRows));
  EXPECT_EQ(FileBytes(folder.root / "sums.md5" / "inside.txt"), "kept");
  EXPECT_EQ(FolderListing(folder.root), "sums.md5\n");
}

std::string WholeFile(const std::wstring& path) {
  std::string bytes;
  return os::ReadWholeFile(path, &bytes) ? bytes : "<missing>";
}

// The temporary file has a name of its own, so any name the file system takes
// can be saved, up to the longest file name component.
TEST(SafeSave, NamesAsLongAsTheFileSystemTakes) {
  ScratchFolder folder;
  std::string listing;
  for (const std::size_t length : {250, 255}) {
    const std::wstring name = std::wstring(length - 4, L'n') + L".md5";
    const std::wstring path = folder.PathOf(name);
    EXPECT_TRUE(WriteListOf(path, {})) << length;
    EXPECT_EQ(WholeFile(path), "\xEF\xBB\xBF") << length;
    EXPECT_TRUE(WriteListOf(path, kRows)) << length << " over an existing file";
    EXPECT_EQ(WholeFile(path), ListBytesOf(kRows)) << length;
    listing += std::string(length - 4, 'n') + ".md5\n";
  }
  EXPECT_EQ(FolderListing(folder.root), listing);
#ifdef _WIN32
  // The standard library's removal stops at the classic path limit.
  for (const std::size_t length : {250, 255}) {
    DeleteFileW(os::ExtendedLengthPath(folder.PathOf(std::wstring(length - 4, L'n') + L".md5")).c_str());
  }
#endif
}

// Holds a temporary file open the way a running save does.
struct SaveInProgress {
  explicit SaveInProgress(const std::wstring& path) {
#ifdef _WIN32
    file = CreateFileW(path.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    holding = file != INVALID_HANDLE_VALUE;
#else
    fd = ::open(os::WideToUtf8(path).c_str(), O_WRONLY | O_CLOEXEC);
    holding = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
#endif
  }
  ~SaveInProgress() {
#ifdef _WIN32
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
#else
    if (fd >= 0) ::close(fd);
#endif
  }
#ifdef _WIN32
  HANDLE file = INVALID_HANDLE_VALUE;
#else
  int fd = -1;
#endif
  bool holding = false;
};

// A killed save leaves its temporary file behind. The next save in that folder
// removes such files, but only this program's own and none that a running save
// still holds; nor do concurrent saves in one folder remove each other's.
TEST(SafeSave, StaleTemporaryFilesGoAtTheNextSave) {
  ScratchFolder folder;
  ScratchFolder elsewhere;
  const std::vector<std::wstring> stale = {L".sumwick-save-00000001-00000000-00000000.tmp",
                                           L".sumwick-save-0000fffe-0000002a-9e3779b9.tmp"};
  const std::wstring running = L".sumwick-save-00000002-00000001-0badcafe.tmp";
  const std::vector<std::wstring> users = {L".sumwick-save-notes.tmp",
                                           L".sumwick-save-00000001-00000000-00000000.tmp.bak",
                                           L".sumwick-save-0000000A-00000000-00000000.tmp",
                                           L".sumwick-save-00000001-00000000-0000000.tmp",
                                           L"sumwick-save-00000001-00000000-00000000.tmp"};
  for (const auto& name : stale) folder.Write(name, "partial list");
  for (const auto& name : users) folder.Write(name, "mine");
  elsewhere.Write(stale[0], "partial list");
  const std::string users_listed = ".sumwick-save-00000001-00000000-0000000.tmp\n"
                                   ".sumwick-save-00000001-00000000-00000000.tmp.bak\n"
                                   ".sumwick-save-0000000A-00000000-00000000.tmp\n"
                                   ".sumwick-save-notes.tmp\n";
  const std::wstring target = folder.PathOf(L"sums.md5");
  {
    folder.Write(running, "partial list");
    SaveInProgress save(folder.PathOf(running));
    ASSERT_TRUE(save.holding);
    EXPECT_TRUE(WriteListOf(target, kRows));
    EXPECT_EQ(FolderListing(folder.root),
              ".sumwick-save-00000001-00000000-0000000.tmp\n"
              ".sumwick-save-00000001-00000000-00000000.tmp.bak\n"
              ".sumwick-save-00000002-00000001-0badcafe.tmp\n"
              ".sumwick-save-0000000A-00000000-00000000.tmp\n"
              ".sumwick-save-notes.tmp\n"
              "sums.md5\n"
              "sumwick-save-00000001-00000000-00000000.tmp\n");
  }
  // Every file a save opens, the clean-up's included, is closed again; a
  // stale errno from before (EINTR) makes it retry nothing.
  const int open_files = OpenFileCount();
  errno = EINTR;
  EXPECT_TRUE(WriteListOf(target, kRows));
  EXPECT_EQ(OpenFileCount(), open_files);
  EXPECT_EQ(FolderListing(folder.root),
            users_listed + "sums.md5\nsumwick-save-00000001-00000000-00000000.tmp\n") << "no longer running";
  for (const auto& name : users) EXPECT_EQ(FileBytes(folder.PathOf(name)), "mine");
  EXPECT_EQ(FolderListing(elsewhere.root), ".sumwick-save-00000001-00000000-00000000.tmp\n");

  // Each save's clean-up runs while the other's temporary file is being written.
  bool saved[2] = {true, true};
  std::thread second([&] {
    for (int i = 0; i < 40; ++i) saved[1] = WriteListOf(folder.PathOf(L"b.md5"), kRows) && saved[1];
  });
  for (int i = 0; i < 40; ++i) saved[0] = WriteListOf(folder.PathOf(L"a.md5"), kRows) && saved[0];
  second.join();
  EXPECT_TRUE(saved[0]);
  EXPECT_TRUE(saved[1]);
  EXPECT_EQ(FolderListing(folder.root),
            users_listed + "a.md5\nb.md5\nsums.md5\nsumwick-save-00000001-00000000-00000000.tmp\n");
}

#ifdef _WIN32
TEST(SafeSave, ReadOnlyTargetKeepsItsBytes) {
  ScratchFolder folder;
  const std::wstring path = folder.Write(L"sums.md5", kOldList);
  ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(WriteListOf(path, kRows));
  EXPECT_EQ(FileBytes(path), kOldList);
  EXPECT_EQ(FolderListing(folder.root), "sums.md5\n");
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(SafeSave, LockedTargetKeepsItsBytes) {
  ScratchFolder folder;
  const std::wstring path = folder.Write(L"sums.md5", kOldList);
  // Another program holding the file open without delete sharing.
  HANDLE holder = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(WriteListOf(path, kRows));
  CloseHandle(holder);
  EXPECT_EQ(FileBytes(path), kOldList);
  EXPECT_EQ(FolderListing(folder.root), "sums.md5\n");
}
#else
// A full disk, as far as this process can tell: writes beyond a few bytes
// fail with EFBIG. Root ignores permissions, but not this limit.
struct DiskFullAfter {
  explicit DiskFullAfter(rlim_t bytes) {
    old_handler = std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &old_limit);
    rlimit limit = old_limit;
    limit.rlim_cur = bytes;
    active = setrlimit(RLIMIT_FSIZE, &limit) == 0;
  }
  ~DiskFullAfter() {
    setrlimit(RLIMIT_FSIZE, &old_limit);
    std::signal(SIGXFSZ, old_handler);
  }
  rlimit old_limit{};
  void (*old_handler)(int);
  bool active = false;
};

// A new list gets the usual mode for a new file; a list saved over keeps the
// permissions its user gave it.
TEST(SafeSave, SavingOverKeepsThePermissionBits) {
  ScratchFolder folder;
  const std::wstring fresh = folder.PathOf(L"new.md5");
  ASSERT_TRUE(WriteListOf(fresh, kRows));
  const mode_t mask = ::umask(0);
  ::umask(mask);
  struct stat made {};
  ASSERT_EQ(::stat(os::WideToUtf8(fresh).c_str(), &made), 0);
  EXPECT_EQ(made.st_mode & 07777, 0666u & ~mask);

  const std::wstring path = folder.Write(L"sums.md5", kOldList);
  const std::string native = os::WideToUtf8(path);
  ASSERT_EQ(::chmod(native.c_str(), 0604), 0);
  ASSERT_TRUE(WriteListOf(path, kRows));
  struct stat after {};
  ASSERT_EQ(::stat(native.c_str(), &after), 0);
  EXPECT_EQ(after.st_mode & 07777, 0604u);
  EXPECT_NE(FileBytes(path), kOldList);
}

TEST(SafeSave, FullDiskKeepsTheOldList) {
  ScratchFolder folder;
  const std::wstring path = folder.Write(L"sums.md5", kOldList);
  bool saved;
  {
    DiskFullAfter full(10);
    ASSERT_TRUE(full.active);
    saved = WriteListOf(path, kRows);
  }
  EXPECT_FALSE(saved);
  EXPECT_EQ(FileBytes(path), kOldList);
  EXPECT_EQ(FolderListing(folder.root), "sums.md5\n");
}

TEST(SafeSave, FullDiskKeepsTheOldSettings) {
  ScratchFolder folder;
  const std::string old_settings = "; mine\n[hash]\nauto.check=0\n";
  folder.Write(L"settings.ini", old_settings);
  const fs::path before = fs::current_path();
  fs::current_path(folder.root);
  bool saved;
  {
    DiskFullAfter full(20);
    ASSERT_TRUE(full.active);
    saved = SaveSettings(Settings{1, 1});
  }
  const Settings loaded = LoadSettings();
  fs::current_path(before);
  EXPECT_FALSE(saved);
  EXPECT_EQ(FileBytes(folder.root / "settings.ini"), old_settings);
  EXPECT_EQ(loaded.auto_check, 0);
  EXPECT_EQ(FolderListing(folder.root), "settings.ini\n");
}
#endif

}  // namespace
