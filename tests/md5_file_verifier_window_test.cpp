// The MD5 file verifier window: its list of a checksum list's entries, the check of each, and when it may close.
#include "long_work_recorder.h"
#include "tool_window_test_support.h"
#include "windows/md5_file_verifier_window.h"

namespace {

TEST_F(ToolWindowsTest, VerifierRequesterOpensTheWindowOnAListAndItsRows) {
  ScratchFolder scratch;
  const std::string first = PatternBytes(1000, 1);
  const std::string second = PatternBytes(2000, 2);
  scratch.Write(L"first.bin", first);
  scratch.Write(L"second.bin", second);
  const std::wstring list = scratch.Write(
      L"files.md5", ListFile({{"first.bin", DigestOf(first)}, {"absent.bin", DigestOf("x")},
                              {"second.bin", Upper(DigestOf(second))}}));

  RequesterAnswer answer = MenuWithRequester(kMenuVerifyMd5File, L"Open", list);
  ASSERT_TRUE(answer.found);
  EXPECT_EQ(answer.file_types, (std::vector<std::wstring>{L"MD5 Files", L"All files"}));
  ASSERT_TRUE(IsWindowOpen(2));
  ExpectToolWindow(2, L"MD5 File Verifier", 445, 331, true);
  ExpectGadgets(WindowHandle(2), {{7, L"SysListView32", 10, 10, 420, 240, L""},
                                  {8, L"Button", 10, 260, 420, 60, L""},
                                  {9, L"Button", 350, 277, 70, 30, L"Check"},
                                  {10, L"Static", 20, 285, 320, 20, L"Overall status:"}});
  EXPECT_EQ(Style(8) & BS_TYPEMASK, BS_GROUPBOX);
  EXPECT_EQ(Style(7) & LVS_TYPEMASK, LVS_REPORT);
  EXPECT_FALSE(SendMessageW(GadgetHandle(7), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_CHECKBOXES);
  EXPECT_TRUE(Style(7) & LVS_OWNERDATA) << "drawn from the window's rows, so a long list opens at once";
  const std::wstring titles[] = {L"File", L"Hash", L"Valid"};
  for (int column = 0; column < 3; ++column) {
    EXPECT_EQ(ListColumn(GadgetHandle(7), column).title, titles[column]);
    EXPECT_EQ(ListColumn(GadgetHandle(7), column).width, 100);
  }
  // The line naming a missing file is no row; names and digests as written.
  ASSERT_EQ(Rows(7), 2);
  EXPECT_EQ(Cell(7, 0, 0), L"first.bin");
  EXPECT_EQ(Cell(7, 0, 1), DigestOfBuffer(first.data(), 1000));
  EXPECT_EQ(Cell(7, 0, 2), L"");
  EXPECT_EQ(Cell(7, 1, 0), L"second.bin");
  EXPECT_EQ(Narrow(Cell(7, 1, 1)), Upper(DigestOf(second)));
  EXPECT_TRUE(Enabled(9));
  // Space on a selected row: the list has no ticks to toggle.
  SetGadgetState(7, 1);
  PressKey(GadgetHandle(7), VK_SPACE);
  EXPECT_EQ(GetGadgetState(7), 1);

  CloseSteps order(2);
  RequestClose(2);
  EXPECT_FALSE(IsWindowOpen(2));
  EXPECT_TRUE(IsWindowEnabled(Main()));
  EXPECT_EQ(order.steps, (std::vector<std::string>{"enable main", "destroy"}));
}

TEST_F(ToolWindowsTest, VerifierChecksEveryRowWithProgressAndRefusesToCloseMeanwhile) {
  ScratchFolder scratch;
  // Long enough to be still hashing when the close request comes.
  scratch.WriteSparse(L"changed.bin", 256u << 20);
  const std::string good = PatternBytes(5000, 3);
  const std::string upper = PatternBytes(7000, 4);
  scratch.Write(L"good.bin", good);
  scratch.Write(L"upper.bin", upper);
  const std::wstring list = scratch.Write(
      L"files.md5", ListFile({{"changed.bin", DigestOf("what it held before")},
                              {"missing.bin", DigestOf("gone")},
                              {"good.bin", DigestOf(good)},
                              {"upper.bin", Upper(DigestOf(upper))}}));
  MenuWithRequester(kMenuVerifyMd5File, L"Open", list);
  ASSERT_TRUE(IsWindowOpen(2));
  ASSERT_EQ(Rows(7), 3);

  Recorder status(GadgetHandle(10));
  Recorder cells(GadgetHandle(7));
  Recorder check(GadgetHandle(9));
  RecordedLongWork taskbar(CallOnWindowThread);
  g_threads_before_click = ProcessThreads();
  SendMessageW(GadgetHandle(9), BM_CLICK, 0, 0);
  PostMessageW(WindowHandle(2), WM_CLOSE, 0, 0);
  Serve(100);
  EXPECT_FALSE(Enabled(9));
  EXPECT_TRUE(IsWindowOpen(2)) << "a close request is ignored while the check runs";
  EXPECT_FALSE(IsWindowEnabled(Main()));

  ASSERT_TRUE(ServeUntilTrue([&] {
    UpdateLongWork();
    return Text(10) == L"Overall status: Done";
  }));
  // On the taskbar, by the bytes recorded in the list (the missing file has none).
  ASSERT_TRUE(ServeUntilTrue([&] { return taskbar.record.awake == 0; }));
  EXPECT_TRUE(taskbar.ShownWithinTotals());
  const std::uint64_t listed = (256u << 20) + 5000 + 7000;
  EXPECT_GT(taskbar.record.shown.size(), 2u) << "shown as the check went";
  EXPECT_EQ(taskbar.record.shown.back().done, listed);
  EXPECT_EQ(taskbar.record.shown.back().total, listed);
  EXPECT_EQ(taskbar.record.calls.back(), "sleep");
  EXPECT_EQ(status.texts, (std::vector<std::wstring>{L"Overall status: Calculating md5 for 1/3",
                                                     L"Overall status: Calculating md5 for 2/3",
                                                     L"Overall status: Calculating md5 for 3/3",
                                                     L"Overall status: Done"}));
  EXPECT_EQ(check.enables, (std::vector<int>{0, 1}));
  EXPECT_EQ(Cell(7, 0, 2), L"Invalid");
  EXPECT_EQ(Cell(7, 1, 2), L"OK");
  EXPECT_EQ(Cell(7, 2, 2), L"OK") << "a digest recorded in upper case matches the intact file";

  ASSERT_GE(cells.valid[0].size(), 3u) << "a long file shows its progress";
  ExpectPercentsThenVerdict(cells.valid[0], L"Invalid");
  ExpectPercentsThenVerdict(cells.valid[1], L"OK");
  ExpectPercentsThenVerdict(cells.valid[2], L"OK");

  ASSERT_TRUE(ServeUntilWorkerEnds());
  RequestClose(2);
  EXPECT_FALSE(IsWindowOpen(2));
  EXPECT_TRUE(IsWindowEnabled(Main()));
}

TEST_F(ToolWindowsTest, VerifierEmptiesTheCellOfAFileGoneSince) {
  ScratchFolder scratch;
  const std::string kept = PatternBytes(3000, 5);
  const std::string gone = PatternBytes(4000, 6);
  scratch.Write(L"kept.bin", kept);
  const std::wstring gone_path = scratch.Write(L"gone.bin", gone);
  const std::wstring list =
      scratch.Write(L"files.md5", ListFile({{"gone.bin", DigestOf(gone)}, {"kept.bin", DigestOf(kept)}}));
  MenuWithRequester(kMenuVerifyMd5File, L"Open", list);
  ASSERT_EQ(Rows(7), 2);

  // Deleted between opening and the first check: the cell stays empty.
  ASSERT_TRUE(DeleteFileW(gone_path.c_str()));
  Click(9);
  ASSERT_TRUE(ServeUntilTrue([] { return Text(10) == L"Overall status: Done" && Enabled(9); }));
  EXPECT_EQ(Cell(7, 0, 2), L"");
  EXPECT_EQ(Cell(7, 1, 2), L"OK");

  // Back, checked, gone again: the earlier verdict goes with it.
  scratch.Write(L"gone.bin", gone);
  Click(9);
  ASSERT_TRUE(ServeUntilTrue([] { return Cell(7, 0, 2) == L"OK" && Enabled(9); }));
  ASSERT_TRUE(DeleteFileW(gone_path.c_str()));
  Recorder cells(GadgetHandle(7));
  Click(9);
  ASSERT_TRUE(ServeUntilTrue([] { return Text(10) == L"Overall status: Done" && Enabled(9); }));
  ASSERT_TRUE(ServeUntilWorkerEnds());
  EXPECT_EQ(Cell(7, 0, 2), L"");
  EXPECT_EQ(cells.valid[0], std::vector<std::wstring>{L""});
  ExpectPercentsThenVerdict(cells.valid[1], L"OK");
}

// Every size query waits, as on a network share: the window opens at once,
// fills as the sizes come in, and can be closed meanwhile.
TEST_F(ToolWindowsTest, VerifierReadsASlowListBehindTheWindowAndCanBeClosedMeanwhile) {
  ScratchFolder scratch;
  std::vector<std::pair<std::string, std::string>> lines;
  std::vector<std::pair<std::wstring, std::wstring>> expected;
  for (int k = 0; k < 24; ++k) {
    const std::string name = "file" + std::to_string(k) + ".bin";
    const std::string content(static_cast<std::size_t>(k % 4 == 3 ? 0 : k + 1), 'c');
    if (k % 6 != 0) scratch.Write(std::wstring(name.begin(), name.end()), content);  // else missing
    lines.push_back({name, DigestOf(content)});
    if (k % 6 != 0 && !content.empty())
      expected.push_back({std::wstring(name.begin(), name.end()), std::wstring(lines.back().second.begin(), lines.back().second.end())});
  }
  const std::wstring list = scratch.Write(L"files.md5", ListFile(lines));
  {
    StoreGate gate(scratch.PathOf(L"file"));
    OpenMd5FileVerifierWindow(ToolContext(), list);
    ASSERT_TRUE(IsWindowOpen(2));
    EXPECT_FALSE(IsWindowEnabled(Main()));
    EXPECT_FALSE(Enabled(9)) << "Check waits for the last row";
    ASSERT_TRUE(ServeUntilTrue([&] { return gate.Requests() > 0; }));
    EXPECT_EQ(Rows(7), 0);
    gate.Open();
    EXPECT_TRUE(ServeUntilListRead());
  }
  std::vector<std::pair<std::wstring, std::wstring>> shown;
  for (int row = 0; row < Rows(7); ++row) shown.push_back({Cell(7, row, 0), Cell(7, row, 1)});
  EXPECT_EQ(shown, expected) << "the rows of a serial read, in the list's order";
  RequestClose(2);

  // Closed while its lookups wait: the reading asks for nothing more once
  // they are answered (bounded, as no end of a stopped reading can be seen).
  // Every lookup is held until after the close, so the reading can have
  // started no more than it has in flight at once (8), some perhaps still on
  // their way to the store when the window closed; a reading that went on
  // would look up all 24 files.
  StoreGate gate(scratch.PathOf(L"file"));
  OpenMd5FileVerifierWindow(ToolContext(), list);
  ASSERT_TRUE(ServeUntilTrue([&] { return gate.Requests() > 0; }));
  RequestClose(2);
  EXPECT_FALSE(IsWindowOpen(2));
  EXPECT_TRUE(IsWindowEnabled(Main()));
  gate.Open();
  EXPECT_FALSE(ServeUntilTrue([&] { return gate.Requests() > 8; }, 500)) << "the ended reading went on";
  EXPECT_FALSE(IsWindowOpen(2));
  EXPECT_EQ(FindWindowW(L"#32770", L"Error"), nullptr);
}

TEST_F(ToolWindowsTest, VerifierOnAListWithoutUsableLinesSaysSoAndStaysOpenEmpty) {
  ScratchFolder scratch;
  scratch.Write(L"empty.bin", "");
  const std::wstring list =
      scratch.Write(L"files.md5", ListFile({{"nowhere.bin", DigestOf("a")}, {"empty.bin", DigestOf("")}}));
  RequesterAnswer answer{L"Open", list};
  std::wstring box_text;
  bool box_found = false;
  std::atomic<bool> answered{false};
  std::thread answering([&] {
    Answer(&answer);
    HWND box = FindDialog(L"Error");
    if (box) {
      box_found = true;
      box_text = MessageBoxText(box);
      PressUntilGone(box, IDOK);
    }
    answered.store(true);
  });
  // The box comes once the list has been read, which the window thread serves.
  Menu(kMenuVerifyMd5File);
  ServeUntilTrue([&] { return answered.load(); }, 60000);
  answering.join();
  ASSERT_TRUE(box_found);
  EXPECT_EQ(box_text, L"Invalid md5 file.");
  ASSERT_TRUE(IsWindowOpen(2));
  EXPECT_EQ(Rows(7), 0);
  EXPECT_FALSE(IsWindowEnabled(Main()));
  Click(9);
  EXPECT_TRUE(ServeUntilTrue([] { return Text(10) == L"Overall status: Done" && Enabled(9); }));
  ServeUntilWorkerEnds();
  RequestClose(2);
  EXPECT_FALSE(IsWindowOpen(2));
  EXPECT_TRUE(IsWindowEnabled(Main()));
}

TEST_F(ToolWindowsTest, VerifierOpensNothingForNoChoiceOrAnEmptyFile) {
  ScratchFolder scratch;
  const std::wstring empty = scratch.Write(L"empty.md5", "");
  RequesterAnswer cancelled = MenuWithRequester(kMenuVerifyMd5File, L"Open", L"");
  EXPECT_TRUE(cancelled.found);
  EXPECT_FALSE(IsWindowOpen(2));
  EXPECT_TRUE(IsWindowEnabled(Main()));
  RequesterAnswer empty_file = MenuWithRequester(kMenuVerifyMd5File, L"Open", empty);
  EXPECT_TRUE(empty_file.found);
  EXPECT_FALSE(IsWindowOpen(2));
  EXPECT_TRUE(IsWindowEnabled(Main()));
}

}  // namespace
