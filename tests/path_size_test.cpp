#include "os/path_size.h"

#include <gtest/gtest.h>

#include "os/replace_file.h"
#include "test_files.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

using os::kPathIsFolder;
using os::kPathNotFound;
using os::PathSize;

#ifdef _WIN32
constexpr wchar_t kSeparator = L'\\';
#else
constexpr wchar_t kSeparator = L'/';
#endif

TEST(PathSize, FilesFoldersAndNothing) {
  ScratchFolder folder;
  const std::wstring file = folder.Write(L"five.txt", "12345");
  const std::wstring root = folder.root.wstring();
  EXPECT_EQ(PathSize(file), 5);
  EXPECT_EQ(PathSize(folder.Write(L"empty.txt", "")), 0);
  EXPECT_EQ(PathSize(root), kPathIsFolder);
  EXPECT_EQ(PathSize(root + kSeparator), kPathIsFolder);
  EXPECT_EQ(PathSize(root + kSeparator + kSeparator), kPathIsFolder);
  EXPECT_EQ(PathSize(file + kSeparator), 5) << "trailing separators are ignored";
  EXPECT_EQ(PathSize(folder.PathOf(L"missing")), kPathNotFound);
  EXPECT_EQ(PathSize(L""), kPathNotFound);
  EXPECT_EQ(PathSize(folder.PathOf(L"*.txt")), kPathNotFound) << "wildcards match nothing";
  EXPECT_EQ(PathSize(folder.PathOf(L"five.tx?")), kPathNotFound);

  // A one-letter name relative to the current folder, with and without a
  // trailing separator.
  folder.Write(L"x", "xyz");
  const std::filesystem::path was = std::filesystem::current_path();
  std::filesystem::current_path(folder.root);
  const std::int64_t bare = PathSize(L"x"), trailing = PathSize(std::wstring(L"x") + kSeparator);
  std::filesystem::current_path(was);
  EXPECT_EQ(bare, 3);
  EXPECT_EQ(trailing, 3);
}

TEST(PathSize, SizesBeyondFourGigabytes) {
  ScratchFolder folder;
  const std::uint64_t size = (std::uint64_t{5} << 30) + 3;
  EXPECT_EQ(PathSize(folder.WriteSparse(L"big", size)), static_cast<std::int64_t>(size));
}

TEST(PathSize, LongPathsWork) {
  ScratchFolder folder;
  const DeepFolder deep(folder.root.wstring(), 400);
  ASSERT_FALSE(deep.path.empty());
  const std::wstring file = deep.PathOf(L"file.txt");
  ASSERT_TRUE(os::ReplaceFileContents(file, "seven b"));
  EXPECT_EQ(PathSize(file), 7);
  EXPECT_EQ(PathSize(deep.path), kPathIsFolder);
  EXPECT_EQ(PathSize(deep.PathOf(L"missing.txt")), kPathNotFound);
}

#ifdef _WIN32
TEST(PathSize, Drives) {
  EXPECT_EQ(PathSize(L"C:"), kPathIsFolder);
  EXPECT_EQ(PathSize(L"C:\\"), kPathIsFolder);
  EXPECT_EQ(PathSize(L"c:/"), kPathIsFolder);
  const DWORD drives = GetLogicalDrives();
  wchar_t missing = 0;
  for (int i = 25; i >= 3 && !missing; --i) {
    if (!(drives & (1u << i))) missing = static_cast<wchar_t>(L'A' + i);
  }
  ASSERT_NE(missing, 0) << "every drive letter is in use";
  EXPECT_EQ(PathSize(std::wstring(1, missing) + L":"), kPathNotFound);
  EXPECT_EQ(PathSize(std::wstring(1, missing) + L":\\"), kPathNotFound);
}
#endif

}  // namespace
