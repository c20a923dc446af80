// A save that fails must leave the file it would have replaced as it was, and
// no temporary file behind; a save works for any name the file system takes.
#include <gtest/gtest.h>

#include "formats/checksum_list.h"
#include "formats/settings.h"
#include "formats_test_support.h"
#include "os/whole_file.h"
#include "test_files.h"

#ifdef _WIN32
#include <windows.h>

#include "os/win32/long_path.h"
#else
#include <csignal>
#include <sys/resource.h>
#endif

namespace {

namespace fs = std::filesystem;

const std::vector<ChecksumRow> kRows = {{true, L"a.txt", L"0cc175b9c0f1b6a831c399e269772661"}};
const std::string kOldList = "\xEF\xBB\xBF" "old.txt  92eb5ffee6ae2fec3ad71c777531578f\r\n";

TEST(SafeSave, MissingFolder) {
  ScratchFolder folder;
  EXPECT_FALSE(WriteChecksumList(folder.PathOf(L"no such folder/sums.md5"), kRows));
  EXPECT_EQ(FolderListing(folder.root), "");
}

TEST(SafeSave, TargetIsAFolder) {
  ScratchFolder folder;
  fs::create_directory(folder.root / "sums.md5");
  folder.Write(L"sums.md5/inside.txt", "kept");
  EXPECT_FALSE(WriteChecksumList(folder.PathOf(L"sums.md5"), kRows));
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
    EXPECT_TRUE(WriteChecksumList(path, {})) << length;
    EXPECT_EQ(WholeFile(path), "\xEF\xBB\xBF") << length;
    EXPECT_TRUE(WriteChecksumList(path, kRows)) << length << " over an existing file";
    EXPECT_EQ(WholeFile(path), ChecksumListBytes(kRows)) << length;
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

#ifdef _WIN32
TEST(SafeSave, ReadOnlyTargetKeepsItsBytes) {
  ScratchFolder folder;
  const std::wstring path = folder.Write(L"sums.md5", kOldList);
  ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(WriteChecksumList(path, kRows));
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
  EXPECT_FALSE(WriteChecksumList(path, kRows));
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

TEST(SafeSave, FullDiskKeepsTheOldList) {
  ScratchFolder folder;
  const std::wstring path = folder.Write(L"sums.md5", kOldList);
  bool saved;
  {
    DiskFullAfter full(10);
    ASSERT_TRUE(full.active);
    saved = WriteChecksumList(path, kRows);
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
