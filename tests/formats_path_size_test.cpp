#include "formats/path_size.h"

#include <gtest/gtest.h>

#include "formats/checksum_list_reader.h"
#include "formats_test_support.h"
#include "os/replace_file.h"
#include "test_files.h"

#ifdef _WIN32
#include <windows.h>

#include "os/win32/long_path.h"
#endif

namespace {

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
}

TEST(PathSize, SizesBeyondFourGigabytes) {
  ScratchFolder folder;
  const std::uint64_t size = (std::uint64_t{5} << 30) + 3;
  EXPECT_EQ(PathSize(folder.WriteSparse(L"big", size)), static_cast<std::int64_t>(size));
}

// Well past the classic 260-character limit, in components of 60 characters.
TEST(PathSize, LongPathsWork) {
  ScratchFolder folder;
  std::wstring deep = folder.root.wstring();
  while (deep.size() < 400) {
    deep += kSeparator + std::wstring(60, L'd');
    ASSERT_TRUE(MakeFolder(deep));
  }
  const std::wstring file = deep + kSeparator + L"file.txt";
  ASSERT_TRUE(os::ReplaceFileContents(file, "seven b"));
  EXPECT_EQ(PathSize(file), 7);
  EXPECT_EQ(PathSize(deep), kPathIsFolder);
  EXPECT_EQ(PathSize(deep + kSeparator + L"missing.txt"), kPathNotFound);

  const std::wstring list = deep + kSeparator + L"sums.md5";
  ASSERT_TRUE(os::ReplaceFileContents(list, "file.txt  0cc175b9c0f1b6a831c399e269772661\r\n"));
  const auto entries = ReadChecksumList(list);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].path, file);
  EXPECT_EQ(entries[0].size, 7);
#ifdef _WIN32
  // The standard library's removal stops at the classic limit.
  DeleteFileW(os::ExtendedLengthPath(file).c_str());
  DeleteFileW(os::ExtendedLengthPath(list).c_str());
  while (deep.size() > folder.root.wstring().size()) {
    RemoveDirectoryW(os::ExtendedLengthPath(deep).c_str());
    deep.resize(deep.rfind(kSeparator));
  }
#endif
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
