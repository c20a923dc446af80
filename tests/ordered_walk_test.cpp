#include "os/ordered_walk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "os/file.h"
#include "os/folder.h"
#include "os/path_size.h"
#include "os/path_text.h"
#include "os/slow_access.h"
#include "test_files.h"

namespace fs = std::filesystem;

namespace {

// The walked paths in order; their sizes in `sizes` when given.
std::vector<std::wstring> Walk(const std::wstring& folder, std::vector<std::int64_t>* sizes = nullptr) {
  std::vector<std::wstring> files;
  os::WalkSettings settings;
  settings.into_folders = true;
  os::WalkPaths({folder}, settings, [&](std::vector<os::WalkedFile>& batch) {
    for (const os::WalkedFile& file : batch) {
      files.push_back(file.path);
      if (sizes) sizes->push_back(file.size);
    }
    return true;
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

TEST(FolderWalk, AnEmptyFolderYieldsNothingAndAMissingPathItself) {
  ScratchFolder folder;
  EXPECT_TRUE(Walk(folder.root.wstring()).empty());
  std::vector<std::int64_t> sizes;
  EXPECT_EQ(Walk(folder.PathOf(L"gone"), &sizes), std::vector<std::wstring>{folder.PathOf(L"gone")});
  EXPECT_EQ(sizes, std::vector<std::int64_t>{os::kPathNotFound});
}

TEST(FolderWalk, NoDoubledSeparatorAfterARoot) {
  ScratchFolder folder;
  folder.Write(L"f", "x");
  const std::wstring with_separator = folder.root.wstring() + os::kPathSeparator;
  const auto files = Walk(with_separator);
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0], with_separator + L"f");
}

// Every listing and lookup waits, as on a network share.
struct SlowStore {
  explicit SlowStore(std::uint32_t ms) { os::SetAccessDelay(ms); }
  ~SlowStore() { os::SetAccessDelay(0); }
};

// Folders with files and subfolders interleaved, so that any result out of place shows.
void MakeTree(ScratchFolder& folder) {
  for (int a = 0; a < 6; ++a) {
    const std::wstring top = L"a" + std::to_wstring(a);
    folder.Write(L"r" + std::to_wstring(a) + L".txt", std::string(static_cast<std::size_t>(a), 'r'));
    for (int b = 0; b < 3; ++b) {
      const std::wstring sub = top + L"/b" + std::to_wstring(b);
      fs::create_directories(folder.root / sub);
      folder.Write(top + L"/f" + std::to_wstring(b), "f");
      for (int k = 0; k < 3; ++k) folder.Write(sub + L"/x" + std::to_wstring(k), std::string(static_cast<std::size_t>(k), 'x'));
    }
  }
}

struct Walked {
  std::vector<std::wstring> paths;
  std::vector<std::int64_t> sizes;
  std::vector<std::size_t> given;
  bool operator==(const Walked& other) const {
    return paths == other.paths && sizes == other.sizes && given == other.given;
  }
};

Walked WalkAll(const std::vector<std::wstring>& paths, bool into_folders, std::uint32_t in_flight) {
  Walked out;
  os::WalkSettings settings;
  settings.into_folders = into_folders;
  settings.in_flight = in_flight;
  EXPECT_TRUE(os::WalkPaths(paths, settings, [&](std::vector<os::WalkedFile>& batch) {
    for (const os::WalkedFile& file : batch) {
      out.paths.push_back(file.path);
      out.sizes.push_back(file.size);
      out.given.push_back(file.given);
    }
    return true;
  }));
  return out;
}

TEST(OrderedWalk, RequestsInFlightTogetherGiveTheSerialOrder) {
  ScratchFolder folder;
  MakeTree(folder);
  const std::wstring root = folder.root.wstring();
  const std::vector<std::wstring> given{folder.PathOf(L"r2.txt"), root, folder.PathOf(L"missing"), folder.PathOf(L"a1")};
  Walked serial;
  for (std::size_t k = 0; k < given.size(); ++k) {
    std::vector<std::wstring> below;
    if (os::PathSize(given[k]) == os::kPathIsFolder)
      ExpectedWalk(given[k], below);
    else
      below.push_back(given[k]);
    for (const std::wstring& path : below) {
      serial.paths.push_back(path);
      serial.sizes.push_back(os::PathSize(path));
      serial.given.push_back(k);
    }
  }
  ASSERT_EQ(serial.paths.size(), 1 + 78 + 1 + 12u);

  SlowStore slow(3);
  EXPECT_EQ(WalkAll(given, true, 1), serial);
  EXPECT_EQ(os::MostDelayedAtOnce(), 1u) << "one at a time, on the calling thread";
  os::SetAccessDelay(3);
  EXPECT_EQ(WalkAll(given, true, 8), serial);
  EXPECT_GT(os::MostDelayedAtOnce(), 1u) << "several folders listed at once";

  // Without into_folders each given path is only looked up, a folder included.
  os::SetAccessDelay(3);
  std::vector<std::wstring> many;
  for (int k = 0; k < 40; ++k) many.push_back(k % 5 == 0 ? root : folder.PathOf(L"r" + std::to_wstring(k % 7) + L".txt"));
  Walked looked_up = WalkAll(many, false, 8);
  EXPECT_EQ(looked_up.paths, many);
  for (std::size_t k = 0; k < many.size(); ++k) {
    EXPECT_EQ(looked_up.sizes[k], os::PathSize(many[k])) << k;
    EXPECT_EQ(looked_up.given[k], k);
  }
  EXPECT_GT(os::MostDelayedAtOnce(), 1u) << "several lookups at once";
}

TEST(OrderedWalk, EndsWhenTheTakerOrTheCancelFlagSaysSo) {
  ScratchFolder folder;
  MakeTree(folder);
  SlowStore slow(2);
  os::WalkSettings settings;
  settings.into_folders = true;
  int batches = 0;
  EXPECT_FALSE(os::WalkPaths({folder.root.wstring()}, settings, [&](std::vector<os::WalkedFile>&) {
    ++batches;
    return false;
  }));
  EXPECT_EQ(batches, 1);
  // Listings slower than a hand-over's interval: results go over while the
  // walk waits for one, and a stop said then ends the walk too.
  os::SetAccessDelay(40);
  batches = 0;
  EXPECT_FALSE(os::WalkPaths({folder.root.wstring()}, settings, [&](std::vector<os::WalkedFile>&) {
    ++batches;
    return false;
  }));
  EXPECT_EQ(batches, 1);
  os::SetAccessDelay(2);

  std::atomic<bool> cancel{false};
  batches = 0;
  EXPECT_FALSE(os::WalkPaths({folder.root.wstring()}, settings, [&](std::vector<os::WalkedFile>&) {
    ++batches;
    cancel.store(true);
    return true;
  }, &cancel));
  EXPECT_EQ(batches, 1);
  EXPECT_FALSE(os::WalkPaths({folder.root.wstring()}, settings, [&](std::vector<os::WalkedFile>&) {
    ADD_FAILURE() << "nothing after the flag is set";
    return true;
  }, &cancel));
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
