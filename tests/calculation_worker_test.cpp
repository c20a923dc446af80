#include "app/calculation_worker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "engine_test_support.h"
#include "test_files.h"

namespace {

constexpr const wchar_t* kEmptyDigest = L"d41d8cd98f00b204e9800998ecf8427e";

// Collects what a run shows, as the window would.
struct Shown {
  std::mutex mutex;
  std::map<RowId, std::vector<std::wstring>> digests;
  std::vector<std::int32_t> progress;
  int finished = 0;

  CalculationView View() {
    CalculationView view;
    view.progress = [this](std::int32_t p) {
      std::lock_guard<std::mutex> lock(mutex);
      progress.push_back(p);
    };
    view.digested = [this](RowId row, const std::wstring& digest) {
      std::lock_guard<std::mutex> lock(mutex);
      digests[row].push_back(digest);
    };
    view.finished = [this] {
      std::lock_guard<std::mutex> lock(mutex);
      ++finished;
    };
    return view;
  }
};

RowId AddFile(FileRows& rows, const std::wstring& path, std::int64_t size, bool ticked = true) {
  return AppendRow(rows, FileEntry{path, size}, ticked);
}

TEST(CalculationWorker, HashesTickedRowsOnly) {
  ScratchFolder folder;
  FileRows rows;
  const RowId first = AddFile(rows, folder.Write(L"one", "abc"), 3);
  const RowId skipped = AddFile(rows, folder.Write(L"two", "abc"), 3, false);
  const RowId missing = AddFile(rows, folder.PathOf(L"missing"), -1);
  const RowId empty = AddFile(rows, folder.Write(L"empty", ""), 0);
  Shown shown;
  StopToken stop;
  RunCalculation(rows, stop, shown.View());
  EXPECT_EQ(shown.digests[first], std::vector<std::wstring>{L"900150983cd24fb0d6963f7d28e17f72"});
  EXPECT_EQ(shown.digests.count(skipped), 0u);
  EXPECT_EQ(shown.digests.count(missing), 0u);
  EXPECT_EQ(shown.digests[empty], std::vector<std::wstring>{kEmptyDigest});
  EXPECT_EQ(shown.finished, 1);
  EXPECT_EQ(shown.progress, std::vector<std::int32_t>{100});
}

TEST(CalculationWorker, ARowCountsAsTickedWhenTheRunReachesItAndGetsItsDigest) {
  ScratchFolder folder;
  FileRows rows;
  const RowId first = AddFile(rows, folder.Write(L"one", "abc"), 3);
  const RowId second = AddFile(rows, folder.Write(L"two", "abc"), 3, false);
  const RowId third = AddFile(rows, folder.Write(L"three", "abc"), 3);
  Shown shown;
  StopToken stop;
  CalculationView view = shown.View();
  // While the first file is hashed the user ticks the second row and unticks the third.
  view.progress = [&](std::int32_t) {
    SetRowTicked(rows, 1, true);
    SetRowTicked(rows, 2, false);
  };
  RunCalculation(rows, stop, view);
  EXPECT_EQ(shown.digests.count(first), 1u);
  EXPECT_EQ(shown.digests.count(second), 1u);
  EXPECT_EQ(shown.digests.count(third), 0u);
  EXPECT_EQ(RowCell(rows, 0, kHashColumn), L"900150983cd24fb0d6963f7d28e17f72") << "the digest is in its row";
  EXPECT_EQ(RowCell(rows, 1, kHashColumn), L"900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(RowCell(rows, 2, kHashColumn), L"");
}

TEST(CalculationWorker, EmptyListFinishesAtOnce) {
  FileRows rows;
  Shown shown;
  StopToken stop;
  RunCalculation(rows, stop, shown.View());
  EXPECT_EQ(shown.finished, 1);
  EXPECT_TRUE(shown.digests.empty());
}

TEST(CalculationWorker, StopDuringAFileLeavesItsRowAndEndsQuietly) {
  ScratchFolder folder;
  FileRows rows;
  const std::int64_t size = 4LL * kChunkSize;
  const RowId big = AddFile(rows, folder.WriteSparse(L"big", size), size);
  const RowId after = AddFile(rows, folder.Write(L"after", "x"), 1);
  StopToken stop;
  Shown shown;
  CalculationView view = shown.View();
  view.progress = [&](std::int32_t) { stop.requested.store(1); };
  RunCalculation(rows, stop, view);
  EXPECT_TRUE(shown.digests.empty()) << "neither the stopped file nor a later row is hashed";
  EXPECT_EQ(shown.digests.count(big) + shown.digests.count(after), 0u);
  EXPECT_EQ(shown.finished, 0) << "a stopped run leaves the window to the Stop handler";
  EXPECT_EQ(stop.requested.load(), 0) << "the worker clears its run's request";
}

TEST(CalculationWorker, StopBeforeTheNextRowEndsTheRun) {
  ScratchFolder folder;
  FileRows rows;
  AddFile(rows, folder.Write(L"a", "a"), 1);
  const RowId second = AddFile(rows, folder.Write(L"b", "b"), 1);
  StopToken stop;
  Shown shown;
  CalculationView view = shown.View();
  view.digested = [&](RowId row, const std::wstring& digest) {
    shown.digests[row].push_back(digest);
    stop.requested.store(1);
  };
  RunCalculation(rows, stop, view);
  EXPECT_EQ(shown.digests.size(), 1u);
  EXPECT_EQ(shown.digests.count(second), 0u);
  EXPECT_EQ(shown.finished, 0);
}

TEST(CalculationWorker, RowsAppendedDuringTheRunAreReached) {
  ScratchFolder folder;
  FileRows rows;
  const std::wstring path = folder.Write(L"f", "abc");
  AddFile(rows, path, 3);
  RowId appended = kNoRow;
  Shown shown;
  StopToken stop;
  CalculationView view = shown.View();
  view.digested = [&](RowId row, const std::wstring& digest) {
    shown.digests[row].push_back(digest);
    if (appended == kNoRow) appended = AddFile(rows, path, 3);
  };
  RunCalculation(rows, stop, view);
  ASSERT_NE(appended, kNoRow);
  EXPECT_EQ(shown.digests.size(), 2u);
  EXPECT_EQ(shown.digests[appended].size(), 1u);
}

TEST(CalculationWorker, DeletingRowsDuringARunNeverMisplacesADigest) {
  // Every row's file holds its own name, so a digest in the wrong row shows.
  ScratchFolder folder;
  constexpr int kFiles = 40;
  std::vector<std::wstring> paths;
  std::vector<std::wstring> truths;
  for (int k = 0; k < kFiles; ++k) {
    const std::string content = "file " + std::to_string(k);
    paths.push_back(folder.Write(L"f" + std::to_wstring(k), content));
    truths.push_back(DigestOfBuffer(content.data(), static_cast<std::int32_t>(content.size())));
  }
  for (int iteration = 0; iteration < 30; ++iteration) {
    FileRows rows;
    std::map<RowId, int> file_of;
    for (int k = 0; k < kFiles; ++k) file_of[AddFile(rows, paths[k], 8)] = k;
    Shown shown;
    StopToken stop;
    std::atomic<bool> done{false};
    std::thread worker([&] {
      RunCalculation(rows, stop, shown.View());
      done.store(true);
    });
    // The window thread deletes and appends rows while the worker runs.
    std::uint32_t x = 12345u + iteration;
    while (!done.load()) {
      x = x * 1103515245u + 12345u;
      FileRowCopy row;
      if (RowAt(rows, (x >> 8) % (RowCount(rows) + 1), &row)) RemoveRow(rows, row.id);
      if ((x >> 20) % 3 == 0) {
        const int k = static_cast<int>((x >> 12) % kFiles);
        file_of[AddFile(rows, paths[k], 8)] = k;
      }
      if ((x >> 24) % 7 == 0) ClearRows(rows);
      std::this_thread::yield();
    }
    worker.join();
    std::lock_guard<std::mutex> lock(shown.mutex);
    for (const auto& [row, digests] : shown.digests) {
      ASSERT_EQ(digests.size(), 1u) << "row " << row << " hashed twice";
      EXPECT_EQ(digests[0], truths[file_of.at(row)]) << "digest landed in another file's row";
    }
    EXPECT_EQ(shown.finished, 1);
  }
}

TEST(CalculationWorker, ANewRunIsNotStoppedByTheOldRequest) {
  ScratchFolder folder;
  FileRows rows;
  const std::int64_t size = 3LL * kChunkSize;
  const RowId big = AddFile(rows, folder.WriteSparse(L"big", size), size);
  // The old run is told to stop; its request is on its own token.
  auto old_stop = std::make_shared<StopToken>();
  old_stop->requested.store(1);
  auto new_stop = std::make_shared<StopToken>();
  Shown old_shown, new_shown;
  std::thread old_run([&] { RunCalculation(rows, *old_stop, old_shown.View()); });
  std::thread new_run([&] { RunCalculation(rows, *new_stop, new_shown.View()); });
  old_run.join();
  new_run.join();
  EXPECT_EQ(old_shown.digests.size(), 0u);
  EXPECT_EQ(new_shown.digests[big].size(), 1u);
  EXPECT_EQ(new_shown.finished, 1);
}

}  // namespace
