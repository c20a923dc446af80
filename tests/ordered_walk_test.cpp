#include "os/ordered_walk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <new>
#include <random>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "os/file.h"
#include "os/folder.h"
#include "os/path_size.h"
#include "os/path_text.h"
#include "os/access_hook.h"
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
  os::ListFolder(folder, [&](const os::FolderItem& item) {
    items.push_back(item);
    return true;
  });
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

// A hook on every request for one test, taken off again when it goes.
struct StoreHook {
  explicit StoreHook(os::AccessHook hook) { os::SetAccessHook(std::move(hook)); }
  ~StoreHook() { os::SetAccessHook(nullptr); }
};

// Waits for a condition another thread makes true, and fails rather than
// hang when it never comes: only a broken walk waits that long.
constexpr auto kNeverInAWorkingWalk = std::chrono::seconds(20);

// Requests that meet: the first request of the kind asked waits until a
// second is made while it waits. Only a walk with requests in flight together
// gets past it quickly, and only then do they count as met.
struct Meeting {
  std::mutex lock;
  std::condition_variable came;
  bool waiting = false, met = false, gave_up = false;

  void Arrive() {
    std::unique_lock<std::mutex> hold(lock);
    if (met || gave_up) return;
    if (waiting) {
      met = true;
      came.notify_all();
      return;
    }
    waiting = true;
    came.wait_for(hold, kNeverInAWorkingWalk, [this] { return met; });
    waiting = false;
    gave_up = !met;
  }
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

// What a walk one request at a time gives, from the same listings.
Walked SerialWalk(const std::vector<std::wstring>& given, bool into_folders) {
  Walked serial;
  for (std::size_t k = 0; k < given.size(); ++k) {
    std::vector<std::wstring> below;
    if (into_folders && os::PathSize(given[k]) == os::kPathIsFolder)
      ExpectedWalk(given[k], below);
    else
      below.push_back(given[k]);
    for (const std::wstring& path : below) {
      serial.paths.push_back(path);
      serial.sizes.push_back(os::PathSize(path));
      serial.given.push_back(k);
    }
  }
  return serial;
}

TEST(OrderedWalk, RequestsInFlightTogetherGiveTheSerialOrder) {
  ScratchFolder folder;
  MakeTree(folder);
  const std::wstring root = folder.root.wstring();
  const std::vector<std::wstring> given{folder.PathOf(L"r2.txt"), root, folder.PathOf(L"missing"), folder.PathOf(L"a1")};
  const Walked serial = SerialWalk(given, true);
  ASSERT_EQ(serial.paths.size(), 1 + 78 + 1 + 12u);

  {
    std::thread::id only;
    bool one_thread = true;
    StoreHook hook([&](const std::wstring&) {
      if (only == std::thread::id()) only = std::this_thread::get_id();
      one_thread = one_thread && only == std::this_thread::get_id();
    });
    EXPECT_EQ(WalkAll(given, true, 1), serial);
    EXPECT_TRUE(one_thread) << "one at a time, on the calling thread";
  }
  {
    // The subfolders b0..b2 are only ever listed, never looked up.
    Meeting listings;
    StoreHook hook([&](const std::wstring& path) {
      const std::wstring below = path.substr(std::min(path.size(), root.size()));
      if (std::count_if(below.begin(), below.end(), os::IsPathSeparator) >= 2) listings.Arrive();
    });
    EXPECT_EQ(WalkAll(given, true, 8), serial);
    EXPECT_TRUE(listings.met) << "several folders listed at once";
  }
  // Without into_folders each given path is only looked up, a folder included.
  std::vector<std::wstring> many;
  for (int k = 0; k < 40; ++k) many.push_back(k % 5 == 0 ? root : folder.PathOf(L"r" + std::to_wstring(k % 7) + L".txt"));
  Meeting lookups;
  StoreHook hook([&](const std::wstring&) { lookups.Arrive(); });
  Walked looked_up = WalkAll(many, false, 8);
  EXPECT_EQ(looked_up.paths, many);
  for (std::size_t k = 0; k < many.size(); ++k) {
    EXPECT_EQ(looked_up.sizes[k], os::PathSize(many[k])) << k;
    EXPECT_EQ(looked_up.given[k], k);
  }
  EXPECT_TRUE(lookups.met) << "several lookups at once";
}

// A store whose requests wait (a share) gets every helper the settings allow,
// more than one a processor: here each request is held until four are under
// way at once, or for 50 ms, and the walk must come to have four at once.
TEST(OrderedWalk, ASlowStoreGetsEveryHelperAllowed) {
  ScratchFolder folder;
  std::vector<std::wstring> given;
  for (int k = 0; k < 40; ++k) given.push_back(folder.Write(L"f" + std::to_wstring(k), "x"));
  std::mutex lock;
  std::condition_variable came;
  int present = 0;
  bool gathered = false;
  StoreHook hook([&](const std::wstring&) {
    std::unique_lock<std::mutex> hold(lock);
    if (++present >= 4) gathered = true;
    came.notify_all();
    came.wait_for(hold, std::chrono::milliseconds(50), [&] { return gathered; });
    --present;
  });
  EXPECT_EQ(WalkAll(given, false, 8).paths, given);
  EXPECT_TRUE(gathered) << "four requests at once";

  // A listing counts as a request for each entry, and is slow as a whole.
  std::vector<std::wstring> folders;
  for (int k = 0; k < 40; ++k) {
    folders.push_back(folder.PathOf(L"d" + std::to_wstring(k)));
    fs::create_directories(folder.root / (L"d" + std::to_wstring(k)));
    folder.Write(L"d" + std::to_wstring(k) + L"/a", "x");
    folder.Write(L"d" + std::to_wstring(k) + L"/b", "x");
  }
  gathered = false;
  EXPECT_EQ(WalkAll(folders, true, 8).paths.size(), 80u);
  EXPECT_TRUE(gathered) << "four listings at once";

  // However slow the store, no more at once than the settings allow.
  os::SetAccessDelay(2);
  EXPECT_EQ(WalkAll(given, false, 3).paths, given);
  EXPECT_LE(os::MostDelayedAtOnce(), 3u);
}

// A store that answers at once gets a request a processor besides the
// caller's: more would only queue for the processors. Each request is held
// about 30 µs here, far below what counts as slow; a thread that loses its
// processor meanwhile may still make one walk take the store for slow, so one
// walk in three keeping to the processors is enough.
TEST(OrderedWalk, AFastStoreGetsOneRequestAProcessor) {
  ScratchFolder folder;
  const std::vector<std::wstring> given(600, folder.Write(L"f", "x"));
  const std::uint32_t processors = std::max(1u, std::thread::hardware_concurrency());
  std::atomic<std::uint32_t> present{0}, most{0};
  StoreHook hook([&](const std::wstring&) {
    const std::uint32_t now = ++present;
    for (std::uint32_t seen = most.load(); now > seen && !most.compare_exchange_weak(seen, now);) {
    }
    const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(30);
    while (std::chrono::steady_clock::now() < until) std::this_thread::yield();
    --present;
  });
  bool kept = false;
  for (int walk = 0; walk < 3 && !kept; ++walk) {
    most = 0;
    EXPECT_EQ(WalkAll(given, false, processors + 4).paths, given);
    kept = most.load() <= processors + 1;
  }
  EXPECT_TRUE(kept) << "at most " << processors + 1 << " requests at once; seen " << most.load();
}

TEST(OrderedWalk, EndsWhenTheTakerOrTheCancelFlagSaysSo) {
  ScratchFolder folder;
  MakeTree(folder);
  os::WalkSettings settings;
  settings.into_folders = true;
  int batches = 0;
  EXPECT_FALSE(os::WalkPaths({folder.root.wstring()}, settings, [&](std::vector<os::WalkedFile>&) {
    ++batches;
    return false;
  }));
  EXPECT_EQ(batches, 1);

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

// A stop said while the walk waits for a helper's slow request: what was
// ready goes over during the wait, and after the stop nothing more does.
TEST(OrderedWalk, AStopSaidWhileWaitingForAHelperEndsTheWalk) {
  ScratchFolder folder;
  MakeTree(folder);
  const std::wstring first = folder.PathOf(L"r1.txt"), slow = folder.PathOf(L"a0"), last = folder.PathOf(L"r2.txt");
  std::mutex lock;
  std::condition_variable changed;
  bool slow_reached = false, gate_open = false;
  // The caller looks up the first path, while a helper takes the next two and
  // is held at the slow one until the taker has said stop.
  StoreHook hook([&](const std::wstring& path) {
    std::unique_lock<std::mutex> hold(lock);
    if (path == first) {
      changed.wait_for(hold, kNeverInAWorkingWalk, [&] { return slow_reached; });
    } else if (path == slow) {
      slow_reached = true;
      changed.notify_all();
      changed.wait_for(hold, kNeverInAWorkingWalk, [&] { return gate_open; });
    }
  });
  os::WalkSettings settings;
  settings.into_folders = true;
  std::vector<std::vector<std::wstring>> batches;
  EXPECT_FALSE(os::WalkPaths({first, slow, last}, settings, [&](std::vector<os::WalkedFile>& batch) {
    batches.emplace_back();
    for (const os::WalkedFile& file : batch) batches.back().push_back(file.path);
    std::lock_guard<std::mutex> hold(lock);
    gate_open = true;
    changed.notify_all();
    return false;
  }));
  EXPECT_EQ(batches, std::vector<std::vector<std::wstring>>{{first}});
}

// A stop said while the calling thread itself lists or looks up: the walk
// asks the store for nothing more and hands nothing over.
TEST(OrderedWalk, AStopSaidDuringTheCallersOwnRequestIsSeenAtOnce) {
  ScratchFolder folder;
  MakeTree(folder);
  std::atomic<bool> cancel{false};
  int requests_after_the_stop = 0;
  StoreHook hook([&](const std::wstring&) {
    if (cancel.load()) ++requests_after_the_stop;
    cancel.store(true);
  });
  os::WalkSettings settings;
  settings.into_folders = true;
  settings.in_flight = 1;
  EXPECT_FALSE(os::WalkPaths({folder.root.wstring()}, settings, [&](std::vector<os::WalkedFile>&) {
    ADD_FAILURE() << "nothing handed over after the stop";
    return true;
  }, &cancel));
  EXPECT_EQ(requests_after_the_stop, 0);
}

// Many walks of random trees, each request delayed at random, each walk
// stopped at random: by its taker, by its cancel flag, or by memory running
// out in the taker or in any thread's request. Whatever the threads do, the
// results are the serial walk's, or a prefix of them when stopped, and once
// the walk has returned no thread of it asks the store for anything.
TEST(OrderedWalk, StressedWalksGiveTheSerialResultsAndLeaveNoThreadBehind) {
  enum class Stop { kNone, kTaker, kCancel, kFailingRequest, kFailingTaker, kCount };
  std::mt19937 random(20261208);
  const auto below = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  for (int round = 0; round < 200; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    ScratchFolder folder;
    std::vector<std::wstring> candidates{folder.root.wstring(), folder.PathOf(L"missing")};
    std::vector<std::wstring> folders{L""};
    for (int made = 0, files = 20 + below(60); made < files; ++made) {
      const std::wstring at = folders[static_cast<std::size_t>(below(static_cast<int>(folders.size())))];
      const std::wstring name = at + L"n" + std::to_wstring(made);
      if (below(4) == 0 && folders.size() < 12) {
        fs::create_directories(folder.root / name);
        folders.push_back(name + L"/");
      } else {
        folder.Write(name, std::string(static_cast<std::size_t>(below(3)), 'x'));
      }
      if (below(6) == 0) candidates.push_back(folder.PathOf(name));
    }
    std::vector<std::wstring> given;
    for (int k = 0, n = 1 + below(5); k < n; ++k)
      given.push_back(candidates[static_cast<std::size_t>(below(static_cast<int>(candidates.size())))]);
    os::WalkSettings settings;
    settings.into_folders = below(4) != 0;
    settings.in_flight = 1 + static_cast<std::uint32_t>(below(8));
    const Walked serial = SerialWalk(given, settings.into_folders);

    const Stop stop = static_cast<Stop>(below(static_cast<int>(Stop::kCount)));
    const int stop_at = below(12);
    std::atomic<bool> cancel{false}, triggered{false}, walking{true};
    std::atomic<int> requests{0}, in_request{0}, stragglers{0};
    std::atomic<std::uint32_t> seed{static_cast<std::uint32_t>(random())};
    StoreHook hook([&](const std::wstring&) {
      if (!walking.load()) ++stragglers;
      ++in_request;
      struct Leave {
        std::atomic<int>& count;
        ~Leave() { --count; }
      } leave{in_request};
      const std::uint32_t draw = seed.fetch_add(0x9E3779B9u) * 2654435761u;
      if (draw % 3 == 0) std::this_thread::sleep_for(std::chrono::microseconds(draw % 400));
      if (requests++ != stop_at) return;
      if (stop == Stop::kCancel) {
        triggered = true;
        cancel.store(true);
      } else if (stop == Stop::kFailingRequest) {
        triggered = true;
        throw std::bad_alloc();
      }
    });
    Walked walked;
    int batches = 0;
    const bool whole = os::WalkPaths(given, settings, [&](std::vector<os::WalkedFile>& batch) {
      for (const os::WalkedFile& file : batch) {
        walked.paths.push_back(file.path);
        walked.sizes.push_back(file.size);
        walked.given.push_back(file.given);
      }
      if (batches++ != stop_at % 3) return true;
      if (stop == Stop::kTaker) return !(triggered = true);
      if (stop == Stop::kFailingTaker) {
        triggered = true;
        throw std::bad_alloc();
      }
      return true;
    }, &cancel);
    walking = false;
    EXPECT_EQ(in_request.load(), 0) << "no request under way once the walk has returned";
    if (!triggered) {
      EXPECT_TRUE(whole);
      EXPECT_EQ(walked, serial);
    } else {
      EXPECT_FALSE(whole);
      const std::size_t n = walked.paths.size();
      ASSERT_LE(n, serial.paths.size());
      EXPECT_TRUE(std::equal(walked.paths.begin(), walked.paths.end(), serial.paths.begin()));
      EXPECT_TRUE(std::equal(walked.sizes.begin(), walked.sizes.end(), serial.sizes.begin()));
      EXPECT_TRUE(std::equal(walked.given.begin(), walked.given.end(), serial.given.begin()));
    }
    // A straggler would ask during the next round's set-up, or this one's tidy-up.
    EXPECT_EQ(stragglers.load(), 0);
  }
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
  // Links back to the top would loop for ever if they were followed; the
  // files listed after one are walked all the same.
  std::vector<std::wstring> expected{folder.PathOf(L".hidden"), folder.PathOf(L"file link"), folder.PathOf(L"sub/file")};
  for (int k = 0; k < 8; ++k) {
    expected.push_back(folder.Write(L"sub/f" + std::to_wstring(k), "f"));
    if (k % 3 == 0) fs::create_directory_symlink(folder.root, folder.root / "sub" / ("loop" + std::to_string(k)));
  }
  fs::create_symlink(folder.root / "sub" / "file", folder.root / "file link");
  std::vector<std::int64_t> sizes;
  std::vector<std::wstring> files = Walk(folder.root.wstring(), &sizes);
  EXPECT_EQ(sizes, std::vector<std::int64_t>(expected.size(), 1)) << "a byte each: a link's size is its target's";
  std::sort(files.begin(), files.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(files, expected);
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
