#include "os/ordered_walk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
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
#include "os/steady_now.h"
#include "failing_allocation.h"
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

// The walk's clock held for one test: it moves only as the test moves it,
// mostly from a hook, as requests that take that long would.
struct HeldClock {
  HeldClock() { os::StartAccessHookClock(); }
  ~HeldClock() { os::StopAccessHookClock(); }
};

// A store whose requests wait (a share) gets every helper the settings allow,
// more than one a processor. On the held clock each request takes 1 ms, so
// the store proves slow once four runs have been slow in a row; until then
// at most processors + 1 threads work, each on one run at a time, the runs
// doubling from one path, so fewer than four runs done means fewer than
// 2^(processors + 4) requests. The requests after those wait until more are
// under way at once than a fast store is given.
TEST(OrderedWalk, ASlowStoreGetsEveryHelperAllowed) {
  ScratchFolder folder;
  const std::uint32_t processors = std::max(1u, std::thread::hardware_concurrency());
  const std::uint32_t beyond_processors = processors + 2;
  const int proven_by = 1 << std::min(processors + 4, 16u);
  const std::vector<std::wstring> given(static_cast<std::size_t>(proven_by) + 200, folder.Write(L"f", "x"));
  HeldClock clock;
  std::mutex lock;
  std::condition_variable came;
  int requests = 0;
  std::uint32_t present = 0;
  bool gathered = false;
  {
    StoreHook hook([&](const std::wstring&) {
      os::AdvanceAccessHookClock(std::chrono::milliseconds(1));
      std::unique_lock<std::mutex> hold(lock);
      if (++requests <= proven_by) return;
      if (++present >= beyond_processors) gathered = true;
      came.notify_all();
      came.wait_for(hold, kNeverInAWorkingWalk, [&] { return gathered; });
      --present;
    });
    EXPECT_EQ(WalkAll(given, false, processors + 4).paths, given);
    EXPECT_TRUE(gathered) << beyond_processors << " requests at once";
  }

  // Found slow only by its last run (four runs of 1, 2, 4 and 8 paths), when
  // no path is left for another helper: the walk ends all the same.
  const std::vector<std::wstring> few(given.begin(), given.begin() + 15);
  {
    StoreHook hook([](const std::wstring&) { os::AdvanceAccessHookClock(std::chrono::milliseconds(1)); });
    EXPECT_EQ(WalkAll(few, false, processors + 4).paths, few);
  }

  // However slow the store, no more at once than the settings allow.
  os::SetAccessDelay(2);
  EXPECT_EQ(WalkAll(given, false, 3).paths, given);
  EXPECT_LE(os::MostDelayedAtOnce(), 3u);
  os::SetAccessDelay(0);
}

// A store that answers at once gets a request a processor besides the
// caller's: more would only queue for the processors. Each request takes
// 30 us on the held clock, far below what counts as slow, and spins a while
// so that requests overlap.
TEST(OrderedWalk, AFastStoreGetsOneRequestAProcessor) {
  ScratchFolder folder;
  const std::vector<std::wstring> given(600, folder.Write(L"f", "x"));
  const std::uint32_t processors = std::max(1u, std::thread::hardware_concurrency());
  HeldClock clock;
  std::atomic<std::uint32_t> present{0}, most{0};
  StoreHook hook([&](const std::wstring&) {
    os::AdvanceAccessHookClock(std::chrono::microseconds(30));
    const std::uint32_t now = ++present;
    for (std::uint32_t seen = most.load(); now > seen && !most.compare_exchange_weak(seen, now);) {
    }
    for (int spin = 0; spin < 200; ++spin) std::this_thread::yield();
    --present;
  });
  EXPECT_EQ(WalkAll(given, false, processors + 4).paths, given);
  EXPECT_LE(most.load(), processors + 1);
}

// Rows go over 16,384 at most at a time, however long since the last went.
TEST(OrderedWalk, AHandOverHoldsAtMost16384Rows) {
  ScratchFolder folder;
  const std::vector<std::wstring> given(20000, folder.Write(L"f", "x"));
  HeldClock clock;  // never due: only the count hands rows over
  std::vector<std::size_t> batches;
  os::WalkSettings settings;
  settings.in_flight = 1;
  EXPECT_TRUE(os::WalkPaths(given, settings, [&](std::vector<os::WalkedFile>& batch) {
    batches.push_back(batch.size());
    return true;
  }));
  EXPECT_EQ(batches, (std::vector<std::size_t>{16384, 20000 - 16384}));
}

// Whether the calling thread alone takes the store for slow, its requests
// taking `took(request number)` on the held clock. Its runs of given paths
// double from one (requests 0, 1-2, 3-6, 7-14, 15-30, 31-62, ...) while the
// store is fast; once slow, it looks up one path at a time, so that when the
// first rows go over (256 of them, the clock past the hand-over's due time)
// it has looked up no path beyond them.
bool TakenForSlow(const std::vector<std::wstring>& given, bool into_folders,
                  const std::function<std::chrono::microseconds(int)>& took) {
  HeldClock clock;
  int requests = 0, at_first_hand_over = -1;
  std::size_t last_given = 0;
  StoreHook hook([&](const std::wstring&) { os::AdvanceAccessHookClock(took(requests++)); });
  os::WalkSettings settings;
  settings.into_folders = into_folders;
  settings.in_flight = 1;
  EXPECT_TRUE(os::WalkPaths(given, settings, [&](std::vector<os::WalkedFile>& batch) {
    if (at_first_hand_over < 0) {
      at_first_hand_over = requests;
      last_given = batch.back().given;
    }
    return true;
  }));
  const int requests_a_path = into_folders ? 2 : 1;  // a folder's lookup, then its listing
  return at_first_hand_over == static_cast<int>(last_given + 1) * requests_a_path;
}

// The slow-store rule: a run of requests is slow when it took half a
// millisecond a request or more, a listing counting a request for each of
// its entries; the store is slow after four slow runs in a row, and one run
// slow once (its thread lost its processor) counts once, whatever its length.
TEST(OrderedWalk, TheStoreIsSlowAfterFourSlowRunsInARow) {
  ScratchFolder folder;
  using us = std::chrono::microseconds;
  const std::vector<std::wstring> files(600, folder.Write(L"f", "x"));
  EXPECT_FALSE(TakenForSlow(files, false, [](int) { return us(499); }));
  EXPECT_TRUE(TakenForSlow(files, false, [](int) { return us(500); }));
  EXPECT_TRUE(TakenForSlow(files, false, [](int k) { return us(k < 15 ? 1000 : 400); })) << "the first four runs";
  EXPECT_FALSE(TakenForSlow(files, false, [](int k) { return us(k < 7 ? 1000 : 400); })) << "three runs";
  EXPECT_FALSE(TakenForSlow(files, false, [](int k) { return us(k == 10 ? 100000 : 400); }))
      << "one 100 ms wait in a run of eight";
  EXPECT_FALSE(TakenForSlow(files, false, [](int k) { return us(k < 7 || (k >= 15 && k < 63) ? 1000 : 400); }))
      << "three slow runs, a fast one, two slow ones";
  EXPECT_FALSE(TakenForSlow(files, false, [](int k) { return us(k == 0 || (k >= 15 && k < 127) ? 1000 : 400); }))
      << "a slow run, fast ones, three slow ones";
  // Given folders of two files each: a lookup and a listing, three requests.
  fs::create_directories(folder.root / "two");
  folder.Write(L"two/a", "a");
  folder.Write(L"two/b", "b");
  const std::vector<std::wstring> folders(300, folder.PathOf(L"two"));
  EXPECT_FALSE(TakenForSlow(folders, true, [](int) { return us(700); })) << "1.4 ms for three requests";
  EXPECT_TRUE(TakenForSlow(folders, true, [](int) { return us(800); })) << "1.6 ms for three requests";
}

// While the caller waits for a path a helper holds, it looks the next paths
// up itself; the rows it has in hand must still go over when they are due
// (every 25 ms while they keep coming), not once its lookups run out. Each
// request takes 100 us on the held clock; the helper's first request from
// path 600 on is held until the caller has looked up the last path, and the
// caller's first from there waits until the helper is held. Every row the
// caller looked up must go over within 100 ms of the clock of its being ready
// in order (a helper's rows are ready only once its whole run is done).
TEST(OrderedWalk, RowsGoOverWhenDueWhileTheCallerLooksAhead) {
  ScratchFolder folder;
  constexpr int kPaths = 3000, kHeldFrom = 600;
  std::vector<std::wstring> given;
  for (int k = 0; k < kPaths; ++k) given.push_back(folder.PathOf(L"m" + std::to_wstring(k)));  // none there
  const std::size_t name_at = folder.PathOf(L"m").size();
  HeldClock clock;
  std::mutex lock;
  std::condition_variable changed;
  bool helper_held = false, last_looked_up = false;
  std::vector<os::SteadyTime> looked_up(kPaths);
  std::vector<bool> by_caller(kPaths);
  const std::thread::id caller = std::this_thread::get_id();
  StoreHook hook([&](const std::wstring& path) {
    const int k = std::stoi(path.substr(name_at));
    std::unique_lock<std::mutex> hold(lock);
    if (std::this_thread::get_id() != caller) {
      if (k >= kHeldFrom && !helper_held) {
        helper_held = true;
        changed.notify_all();
        EXPECT_TRUE(changed.wait_for(hold, kNeverInAWorkingWalk, [&] { return last_looked_up; }));
      }
    } else if (k >= kHeldFrom) {
      EXPECT_TRUE(changed.wait_for(hold, kNeverInAWorkingWalk, [&] { return helper_held; }));
    }
    os::AdvanceAccessHookClock(std::chrono::microseconds(100));
    looked_up[static_cast<std::size_t>(k)] = os::SteadyNow();
    by_caller[static_cast<std::size_t>(k)] = std::this_thread::get_id() == caller;
    if (k == kPaths - 1) {
      last_looked_up = true;
      changed.notify_all();
    }
  });
  os::WalkSettings settings;
  settings.in_flight = 2;
  std::size_t next = 0;
  os::SteadyTime ready{};
  auto longest_wait = std::chrono::microseconds(0);
  EXPECT_TRUE(os::WalkPaths(given, settings, [&](std::vector<os::WalkedFile>& batch) {
    std::lock_guard<std::mutex> hold(lock);
    const os::SteadyTime now = os::SteadyNow();
    for (const os::WalkedFile& file : batch) {
      EXPECT_EQ(file.given, next++);
      ready = std::max(ready, looked_up[file.given]);
      if (by_caller[file.given])
        longest_wait = std::max(longest_wait, std::chrono::duration_cast<std::chrono::microseconds>(now - ready));
    }
    return true;
  }));
  EXPECT_EQ(next, given.size());
  EXPECT_TRUE(helper_held);
  EXPECT_LE(longest_wait, std::chrono::milliseconds(100));
}

// Helpers look up and list no further ahead of the hand-over than the
// settings allow, however many given folders went before (each counts once,
// and each of its entries once), and as far as that. The given paths are one
// folder of one file, so that each request adds an entry: the folder by its
// lookup, its file by the listing. Each request takes 30 ms on the held
// clock, so that the store is slow after its first runs (five at most, 31
// paths) and every hand-over due; once those have gone over, a helper takes
// one path, two entries, at a time while fewer than the bound are ahead. At
// each hand-over, and while it waits until the walk has asked nothing for
// 20 ms, the entries known beyond those handed over come to the bound
// rounded up to two entries, and never beyond.
TEST(OrderedWalk, HelpersStayWithinTheBoundAheadOfTheHandOver) {
  ScratchFolder folder;
  fs::create_directories(folder.root / "d");
  folder.Write(L"d/x", "x");
  const std::vector<std::wstring> given(600, folder.PathOf(L"d"));
  for (const std::size_t bound : {32u, 33u}) {
    SCOPED_TRACE("bound " + std::to_string(bound));
    HeldClock clock;
    std::mutex lock;
    std::condition_variable asked;
    std::size_t requests = 0, handed = 0, most_ahead = 0;
    bool measuring = false;
    StoreHook hook([&](const std::wstring&) {
      os::AdvanceAccessHookClock(std::chrono::milliseconds(30));
      std::lock_guard<std::mutex> hold(lock);
      ++requests;
      if (measuring) most_ahead = std::max(most_ahead, requests - 2 * handed);
      asked.notify_all();
    });
    os::WalkSettings settings;
    settings.into_folders = true;
    settings.in_flight = 2;
    settings.most_ahead = bound;
    EXPECT_TRUE(os::WalkPaths(given, settings, [&](std::vector<os::WalkedFile>& batch) {
      std::unique_lock<std::mutex> hold(lock);
      handed += batch.size();
      measuring = handed >= 31;
      if (measuring) most_ahead = std::max(most_ahead, requests - 2 * handed);
      for (std::size_t seen = 0; seen != requests;) {
        seen = requests;
        asked.wait_for(hold, std::chrono::milliseconds(20), [&] { return requests != seen; });
      }
      measuring = false;
      return true;
    }));
    EXPECT_EQ(handed, given.size());
    EXPECT_EQ(most_ahead, bound + bound % 2);
  }
}

// Memory running out at any one allocation of a walk, in any of its threads
// or in the taker, ends the walk as a stop does: the rows handed over are the
// serial walk's first ones, nothing a failed thread left half made among
// them, and no thread or memory is left behind (the sanitizers see leaks).
// A helper that could not be started is no failure: the walk goes on.
TEST(OrderedWalk, MemoryRunningOutAnywhereEndsTheWalkAsAStopDoes) {
  ScratchFolder folder;
  MakeTree(folder);
  std::vector<std::wstring> given{folder.root.wstring(), folder.PathOf(L"a1")};
  for (int k = 0; k < 60; ++k) given.push_back(folder.PathOf(L"r" + std::to_wstring(k % 6) + L".txt"));
  const Walked serial = SerialWalk(given, true);
  const std::pair<AllocatingThreads, std::uint32_t> cases[] = {
      {AllocatingThreads::kAny, 1}, {AllocatingThreads::kAny, 4}, {AllocatingThreads::kOthers, 4}};
  for (const auto& [threads, in_flight] : cases) {
    os::WalkSettings settings;
    settings.into_folders = true;
    settings.in_flight = in_flight;
    for (std::uint64_t nth = 1; !HasFailure(); ++nth) {
      SCOPED_TRACE("in flight " + std::to_string(in_flight) + ", allocation " + std::to_string(nth));
      Walked walked;
      walked.paths.reserve(serial.paths.size());
      walked.sizes.reserve(serial.paths.size());
      walked.given.reserve(serial.paths.size());
      std::vector<std::wstring> paths = given;
      bool whole = false, failed = false;
      {
        const FailingAllocation failing(nth, threads);
        whole = os::WalkPaths(std::move(paths), settings, [&](std::vector<os::WalkedFile>& batch) {
          for (const os::WalkedFile& file : batch) {
            walked.paths.push_back(file.path);
            walked.sizes.push_back(file.size);
            walked.given.push_back(file.given);
          }
          return true;
        });
        failed = failing.Failed();
      }
      const std::size_t n = walked.paths.size();
      ASSERT_LE(n, serial.paths.size());
      EXPECT_TRUE(std::equal(walked.paths.begin(), walked.paths.end(), serial.paths.begin()));
      EXPECT_TRUE(std::equal(walked.sizes.begin(), walked.sizes.end(), serial.sizes.begin()));
      EXPECT_TRUE(std::equal(walked.given.begin(), walked.given.end(), serial.given.begin()));
      if (whole) {
        EXPECT_EQ(n, serial.paths.size());
      }
      if (!failed) {
        EXPECT_TRUE(whole);
        break;
      }
    }
  }
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
