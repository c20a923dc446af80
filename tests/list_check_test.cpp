#include "windows/list_check.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "checksum_list_helpers.h"
#include "engine_test_support.h"
#include "formats/checksum_list_reader.h"
#include "os/file.h"
#include "test_files.h"

namespace {

constexpr const wchar_t* kAbc = L"900150983cd24fb0d6963f7d28e17f72";

// The check over the verifier's rows made of `entries`.
void CheckRows(const std::vector<ChecksumEntry>& entries, const ListCheckView& view) {
  VerifierRows rows;
  AppendVerifierEntries(rows, entries);
  RunListCheck(rows, view);
}

TEST(ListCheck, GoodCorruptedMissingAndUpperCaseRows) {
  ScratchFolder folder;
  folder.Write(L"good", "abc");
  folder.Write(L"corrupt", "abd");
  folder.Write(L"gone", "abc");
  folder.Write(L"upper", "abc");
  folder.Write(L"list.md5", "good  900150983cd24fb0d6963f7d28e17f72\r\n"
                            "corrupt  900150983cd24fb0d6963f7d28e17f72\r\n"
                            "gone  900150983cd24fb0d6963f7d28e17f72\r\n"
                            "upper  900150983CD24FB0D6963F7D28E17F72\r\n");
  const std::vector<ChecksumEntry> entries = ReadChecksumList(folder.PathOf(L"list.md5"));
  ASSERT_EQ(entries.size(), 4u);
  std::filesystem::remove(folder.root / "gone");  // deleted after the list was read

  std::vector<std::wstring> log;
  HashedBytes meter;
  std::vector<std::pair<std::uint64_t, std::int64_t>> reached;  // the meter's position and bytes after it
  ListCheckView view;
  view.meter = &meter;
  view.hashing = [&](std::size_t row, std::size_t rows) {
    log.push_back(L"hashing " + std::to_wstring(row + 1) + L"/" + std::to_wstring(rows));
    reached.push_back({meter.position.load(), meter.after.load()});
  };
  view.progress = [&](std::size_t row, std::int32_t p) {
    log.push_back(std::to_wstring(row) + L": " + std::to_wstring(p) + L"%");
  };
  view.verdict = [&](std::size_t row, bool intact) {
    log.push_back(std::to_wstring(row) + (intact ? L": OK" : L": Invalid"));
  };
  view.unread = [&](std::size_t row) { log.push_back(std::to_wstring(row) + L": unread"); };
  view.done = [&] { log.push_back(L"done"); };
  CheckRows(entries, view);
  EXPECT_EQ(log, (std::vector<std::wstring>{L"hashing 1/4", L"0: 100%", L"0: OK", L"hashing 2/4", L"1: 100%",
                                            L"1: Invalid", L"hashing 3/4", L"2: unread", L"hashing 4/4", L"3: 100%",
                                            L"3: OK", L"done"}));
  // Sizes as read (3 bytes each, the deleted file's too): the taskbar's total.
  EXPECT_EQ(reached, (std::vector<std::pair<std::uint64_t, std::int64_t>>{{1, 9}, {2, 6}, {3, 3}, {4, 0}}));
  EXPECT_EQ(meter.done.load(), 9) << "the three files read";
}

TEST(ListCheck, EmptyListIsDoneAtOnce) {
  int done = 0;
  ListCheckView view;
  view.hashing = [](std::size_t, std::size_t) { FAIL() << "no row to hash"; };
  view.done = [&] { ++done; };
  CheckRows({}, view);
  EXPECT_EQ(done, 1);
}

TEST(ListCheck, OnlyLetterCaseIsForgiven) {
  ScratchFolder folder;
  ChecksumEntry entry{L"", folder.Write(L"f", "abc"), 0, 3};
  std::vector<bool> verdicts;
  ListCheckView view;
  view.verdict = [&](std::size_t, bool intact) { verdicts.push_back(intact); };
  for (const wchar_t* recorded : {kAbc, L"900150983CD24FB0D6963F7D28E17F72", L"900150983cd24fb0d6963f7d28e17f7",
                                  L"900150983cd24fb0d6963f7d28e17f72 ", L"900150983cd24fb0d6963f7d28e17f7\t2"}) {
    entry.digest = recorded;
    CheckRows({entry}, view);
  }
  EXPECT_EQ(verdicts, (std::vector<bool>{true, true, false, false, false}));
}

#ifndef _WIN32
TEST(ListCheck, AFileThatFailsPartWayIsUnreadAndNotJudged) {
  ScratchFolder folder;
  // Reading a process's own memory file from offset 0 fails with an I/O error;
  // a file that is not there is not opened at all: neither is judged.
  const std::vector<ChecksumEntry> entries{{kAbc, L"/proc/self/mem", 0, 100},
                                           {kAbc, folder.PathOf(L"gone"), 0, 3},
                                           {kAbc, folder.Write(L"good", "abc"), 0, 3}};
  std::vector<std::wstring> log;
  ListCheckView view;
  view.hashing = [&](std::size_t row, std::size_t) { log.push_back(L"hashing " + std::to_wstring(row)); };
  view.verdict = [&](std::size_t row, bool) { log.push_back(L"verdict " + std::to_wstring(row)); };
  view.unread = [&](std::size_t row) { log.push_back(L"unread " + std::to_wstring(row)); };
  CheckRows(entries, view);
  EXPECT_EQ(log, (std::vector<std::wstring>{L"hashing 0", L"unread 0", L"hashing 1", L"unread 1", L"hashing 2",
                                            L"verdict 2"}));
}
#endif

}  // namespace
