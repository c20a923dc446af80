#include "app/folder_walk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "os/file.h"
#include "os/folder.h"
#include "os/path_size.h"
#include "os/path_text.h"
#include "test_files.h"

namespace fs = std::filesystem;

namespace {

// The walked paths in order; their sizes in `sizes` when given.
std::vector<std::wstring> Walk(const std::wstring& folder, std::vector<std::int64_t>* sizes = nullptr) {
  std::vector<std::wstring> files;
  WalkFolderTree(folder, [&](const std::wstring& path, std::int64_t size) {
    files.push_back(path);
    if (sizes) sizes->push_back(size);
  });
  return files;
}

// What a depth-first walk must give, built from the same listing order.
void ExpectedWalk(const std::wstring& folder, std::vector<std::wstring>& out) {
  std::vector<os::FolderItem> items;
  os::ListFolder(folder, [&](const os::FolderItem& item) { items.push_back(item); });
  for (const auto& item : items) {
    const std::wstring path = os::JoinPath(folder, item.name);
    if (item.is_folder)
      ExpectedWalk(path, out);
    else if (!item.is_folder_link)
      out.push_back(path);
  }
}

TEST(FolderWalk, DepthFirstInListingOrder) {
  ScratchFolder folder;
  const fs::path root = folder.root;
  fs::create_directories(root / L"b" / L"deep" / L"deeper");
  fs::create_directories(root / L"empty");
  fs::create_directories(root / L"d");
  folder.Write(L"a.txt", "a");
  folder.Write(L"b/one", "1");
  folder.Write(L"b/deep/deeper/bottom", "x");
  folder.Write(L"b/two", "2");
  folder.Write(L"c.txt", "c");
  folder.Write(L"d/\u00e9t\u00e9 \u4e2d.txt", "unicode");
  std::vector<std::int64_t> sizes;
  const std::vector<std::wstring> files = Walk(root.wstring(), &sizes);
  std::vector<std::wstring> expected;
  ExpectedWalk(root.wstring(), expected);
  EXPECT_EQ(files, expected);
  EXPECT_EQ(files.size(), 6u) << "every file at every depth, nothing for the empty folder";
  for (std::size_t k = 0; k < files.size(); ++k) {
    const os::FileHandle file = os::OpenForReading(files[k]);
    EXPECT_NE(file, os::kNoFile) << "each walked path names a readable file";
    os::CloseFile(file);
    EXPECT_EQ(sizes[k], os::PathSize(files[k])) << "the size the listing gave, as PathSize answers it";
  }
}

TEST(FolderWalk, SizesBeyondFourGigabytes) {
  ScratchFolder folder;
  const std::uint64_t size = (std::uint64_t{5} << 30) + 3;
  folder.WriteSparse(L"big", size);
  folder.Write(L"empty", "");
  std::vector<std::int64_t> sizes;
  Walk(folder.root.wstring(), &sizes);
  std::sort(sizes.begin(), sizes.end());
  EXPECT_EQ(sizes, (std::vector<std::int64_t>{0, static_cast<std::int64_t>(size)}));
}

TEST(FolderWalk, UnreadableOrMissingFolderAddsNothing) {
  ScratchFolder folder;
  EXPECT_TRUE(Walk(folder.PathOf(L"gone")).empty());
  EXPECT_TRUE(Walk(folder.root.wstring()).empty());
}

TEST(FolderWalk, NoDoubledSeparatorAfterARoot) {
  ScratchFolder folder;
  folder.Write(L"f", "x");
  const std::wstring with_separator = folder.root.wstring() + os::kPathSeparator;
  const auto files = Walk(with_separator);
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0], with_separator + L"f");
}

#ifdef _WIN32
TEST(FolderWalk, HiddenAndSystemFilesAreIncluded) {
  ScratchFolder folder;
  const std::wstring hidden = folder.Write(L"hidden", "h");
  const std::wstring system = folder.Write(L"system", "s");
  SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
  SetFileAttributesW(system.c_str(), FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(Walk(folder.root.wstring()).size(), 2u);
}

TEST(FolderWalk, PathsPastTheClassicLimitAreWalked) {
  ScratchFolder folder;
  std::wstring deep = folder.root.wstring();
  for (int k = 0; k < 6; ++k) deep += L"\\" + std::wstring(50, static_cast<wchar_t>(L'k' + k));
  ASSERT_TRUE(fs::create_directories(L"\\\\?\\" + deep));
  const std::wstring file = deep + L"\\inside.bin";
  ASSERT_GT(file.size(), 260u);
  HANDLE h = CreateFileW((L"\\\\?\\" + file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
  EXPECT_EQ(Walk(folder.root.wstring()), std::vector<std::wstring>{file});
  // Tidy up from the bottom: the classic API cannot reach these paths.
  DeleteFileW((L"\\\\?\\" + file).c_str());
  for (std::wstring at = deep; at.size() > folder.root.wstring().size(); at.resize(at.find_last_of(L'\\')))
    RemoveDirectoryW((L"\\\\?\\" + at).c_str());
}
#else
TEST(FolderWalk, HiddenFilesAndLinksToFolders) {
  ScratchFolder folder;
  fs::create_directories(folder.root / "sub");
  folder.Write(L".hidden", "h");
  folder.Write(L"sub/file", "f");
  // A link back to the top would loop for ever if it were followed.
  fs::create_directory_symlink(folder.root, folder.root / "sub" / "loop");
  fs::create_symlink(folder.root / "sub" / "file", folder.root / "file link");
  std::vector<std::int64_t> sizes;
  std::vector<std::wstring> files = Walk(folder.root.wstring(), &sizes);
  EXPECT_EQ(sizes, std::vector<std::int64_t>(3, 1)) << "a byte each: a link's size is its target's";
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::wstring>{folder.PathOf(L".hidden"), folder.PathOf(L"file link"),
                                              folder.PathOf(L"sub/file")}));
}

TEST(FolderWalk, VeryDeepTreeDoesNotExhaustTheStack) {
  ScratchFolder folder;
  fs::path deep = folder.root;
  for (int k = 0; k < 400; ++k) deep /= "d";
  fs::create_directories(deep);
  const std::wstring bottom = (deep / "bottom").wstring();
  folder.Write(fs::relative(deep / "bottom", folder.root).wstring(), "b");
  EXPECT_EQ(Walk(folder.root.wstring()), std::vector<std::wstring>{bottom});
}
#endif

}  // namespace
