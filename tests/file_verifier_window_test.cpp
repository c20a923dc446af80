// The file verifier window: one file checked against a typed or pasted digest.
#include "long_work_recorder.h"
#include "tool_window_test_support.h"

namespace {

TEST_F(ToolWindowsTest, FileVerifierIsBuiltWithCheckDisabled) {
  Menu(kMenuVerifyFile);
  ASSERT_TRUE(IsWindowOpen(3));
  ExpectToolWindow(3, L"File Verifier", 342, 162, true);
  ExpectGadgets(WindowHandle(3), {{14, L"Button", 10, 10, 320, 50, L"Input File"},
                                  {12, L"Edit", 20, 30, 260, 20, L""},
                                  {13, L"Button", 280, 29, 40, 22, L"..."},
                                  {11, L"Button", 10, 70, 320, 50, L"Checksum"},
                                  {15, L"Edit", 20, 90, 260, 20, L""},
                                  {16, L"Button", 280, 89, 40, 22, L"paste"},
                                  {17, L"Static", 10, 130, 40, 20, L"Status:"},
                                  {18, L"Static", 50, 130, 210, 20, L"Idle"},
                                  {19, L"Button", 270, 126, 60, 30, L"Check"}});
  EXPECT_EQ(Style(14) & BS_TYPEMASK, BS_GROUPBOX);
  EXPECT_EQ(Style(11) & BS_TYPEMASK, BS_GROUPBOX);
  EXPECT_TRUE(Style(12) & ES_READONLY);
  EXPECT_FALSE(Style(15) & ES_READONLY);
  EXPECT_FALSE(Enabled(19));
  EXPECT_TRUE(Enabled(13) && Enabled(15) && Enabled(16));
  CloseSteps order(3);
  RequestClose(3);
  EXPECT_FALSE(IsWindowOpen(3));
  EXPECT_EQ(order.steps, (std::vector<std::string>{"enable main", "destroy"}));
}

TEST_F(ToolWindowsTest, FileVerifierEnablesCheckOnlyForADigestAndANonEmptyFile) {
  ScratchFolder scratch;
  const std::string bytes = PatternBytes(10000, 7);
  const std::wstring file = scratch.Write(L"file.bin", bytes);
  const std::wstring other = scratch.Write(L"other.bin", "o");  // one byte is enough
  const std::wstring empty = scratch.Write(L"empty.bin", "");
  const std::wstring digest = DigestOfBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size()));
  Menu(kMenuVerifyFile);
  ASSERT_TRUE(IsWindowOpen(3));

  // The digest first: the file choice enables Check.
  Type(15, digest);
  EXPECT_FALSE(Enabled(19));
  RequesterAnswer chosen = ClickWithRequester(13, L"Select file..", file);
  ASSERT_TRUE(chosen.found);
  EXPECT_EQ(chosen.file_types, (std::vector<std::wstring>{L"All Files"}));
  EXPECT_EQ(Text(12), file);
  EXPECT_TRUE(Enabled(19));
  // A 33rd character disables it, taking it away enables it again.
  Type(15, L"0");
  EXPECT_FALSE(Enabled(19));
  Type(15, L"\b");
  EXPECT_TRUE(Enabled(19));

  // An empty file, or no choice, changes nothing.
  ClickWithRequester(13, L"Select file..", empty);
  EXPECT_EQ(Text(12), file);
  ClickWithRequester(13, L"Select file..", L"");
  EXPECT_EQ(Text(12), file);
  EXPECT_TRUE(Enabled(19));

  // The file first: the 32nd valid character enables Check.
  SetWindowTextW(GadgetHandle(15), L"");
  Serve(50);
  EXPECT_FALSE(Enabled(19));
  ClickWithRequester(13, L"Select file..", other);
  EXPECT_EQ(Text(12), other);
  EXPECT_FALSE(Enabled(19));
  Type(15, digest.substr(0, 31));
  EXPECT_FALSE(Enabled(19));
  Type(15, digest.substr(31));
  EXPECT_TRUE(Enabled(19));

  // Pasted: a line end makes 34 characters, a space 33; the bare digest in
  // upper case is a digest text.
  SetClipboardText(digest + L"\r\n");
  Click(16);
  EXPECT_EQ(Text(15), digest + L"\r\n");
  EXPECT_FALSE(Enabled(19));
  SetClipboardText(digest + L" ");
  Click(16);
  EXPECT_EQ(Text(15).size(), 33u);
  EXPECT_FALSE(Enabled(19));
  std::wstring upper = digest;
  for (wchar_t& c : upper) c = static_cast<wchar_t>(std::towupper(c));
  SetClipboardText(upper);
  Click(16);
  EXPECT_EQ(Text(15), upper);
  EXPECT_TRUE(Enabled(19));
  // An empty clipboard empties the field.
  EmptyClipboardNow();
  Click(16);
  EXPECT_EQ(Text(15), L"");
  EXPECT_FALSE(Enabled(19));
}

// Opens the file verifier on `file` with `expected` typed in.
void ReadyFileVerifier(const std::wstring& file, const std::wstring& expected) {
  Menu(kMenuVerifyFile);
  ClickWithRequester(13, L"Select file..", file);
  Type(15, expected);
}

TEST_F(ToolWindowsTest, FileVerifierChecksOnAWorkerAndSaysValidOrInvalid) {
  ScratchFolder scratch;
  const std::string bytes = PatternBytes(40u << 20, 8);  // three chunks, so several percents
  const std::wstring file = scratch.Write(L"file.bin", bytes);
  std::wstring upper = DigestOfBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size()));
  for (wchar_t& c : upper) c = static_cast<wchar_t>(std::towupper(c));
  ReadyFileVerifier(file, upper);
  ASSERT_TRUE(Enabled(19));

  Recorder status(GadgetHandle(18));
  Recorder check(GadgetHandle(19)), choose(GadgetHandle(13)), field(GadgetHandle(15)), paste(GadgetHandle(16));
  Click(19);
  ASSERT_TRUE(ServeUntilWorkerEnds());
  Serve(50);
  // Held still while the check ran, given back after it.
  for (const Recorder* held : {&check, &choose, &field, &paste}) EXPECT_EQ(held->enables, (std::vector<int>{0, 1}));
  ASSERT_GE(status.texts.size(), 3u);
  EXPECT_EQ(status.texts.back(), L"Checksum valid") << "an expected digest in upper case matches";
  EXPECT_EQ(status.texts[status.texts.size() - 2], L"100%");
  EXPECT_EQ(status.texts[0].back(), L'%');
  EXPECT_EQ(Text(18), L"Checksum valid");

  // One digit off.
  upper[0] = upper[0] == L'0' ? L'1' : L'0';
  SetWindowTextW(GadgetHandle(15), upper.c_str());
  Serve(50);
  Click(19);
  ASSERT_TRUE(ServeUntilTrue([] { return Text(18) == L"Checksum invalid" && Enabled(19); }));
  ServeUntilWorkerEnds();
}

TEST_F(ToolWindowsTest, FileVerifierShowsIdleWhenACheckGivesNoResult) {
  ScratchFolder scratch;
  const std::string bytes = PatternBytes(6000, 9);
  const std::wstring file = scratch.Write(L"file.bin", bytes);
  ReadyFileVerifier(file, DigestOfBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size())));
  ASSERT_TRUE(Enabled(19));
  Click(19);
  ASSERT_TRUE(ServeUntilWorkerEnds());
  Serve(100);
  ASSERT_EQ(Text(18), L"Checksum valid");

  // Deleted before the next check: the earlier verdict does not stand for it.
  ASSERT_TRUE(DeleteFileW(file.c_str()));
  Recorder status(GadgetHandle(18));
  Recorder check(GadgetHandle(19));
  Click(19);
  ASSERT_TRUE(ServeUntilWorkerEnds());
  Serve(100);
  EXPECT_EQ(status.texts, std::vector<std::wstring>{L"Idle"});
  EXPECT_EQ(check.enables, (std::vector<int>{0, 1})) << "the controls come back enabled";
  EXPECT_TRUE(Enabled(13) && Enabled(15) && Enabled(16));
}

// Closing the window also takes its check off the taskbar and lets the
// computer sleep: nobody waits for a result that will not be shown.
TEST_F(ToolWindowsTest, FileVerifierCheckOfAClosedWindowNeverWritesIntoTheNextOne) {
  ScratchFolder scratch;
  const std::wstring file = scratch.WriteSparse(L"large.bin", 1024u << 20);
  ReadyFileVerifier(file, L"0123456789abcdef0123456789abcdef");
  ASSERT_TRUE(Enabled(19));
  RecordedLongWork taskbar(CallOnWindowThread);
  Click(19);
  ASSERT_EQ(taskbar.record.awake, 1);
  ASSERT_TRUE(ServeUntilTrue([] { return Text(18).size() > 0 && Text(18).back() == L'%'; }));
  UpdateLongWork();
  EXPECT_EQ(taskbar.record.shown.back().total, 1024u << 20) << "the file's size, as the check measured it";
  RequestClose(3);
  EXPECT_FALSE(IsWindowOpen(3)) << "a close request during a check closes at once";
  EXPECT_TRUE(IsWindowEnabled(Main()));
  EXPECT_EQ(taskbar.record.awake, 0);
  EXPECT_EQ(taskbar.record.calls.back(), "sleep");
  const std::size_t calls = taskbar.record.calls.size();

  Menu(kMenuVerifyFile);
  ASSERT_TRUE(IsWindowOpen(3));
  ASSERT_TRUE(WorkerRunning()) << "the file is too small to outlast the reopening";
  Recorder status(GadgetHandle(18));
  Recorder check(GadgetHandle(19)), choose(GadgetHandle(13)), field(GadgetHandle(15)), paste(GadgetHandle(16));
  ASSERT_TRUE(ServeUntilWorkerEnds());
  Serve(200);
  EXPECT_TRUE(status.texts.empty()) << "no percent and no result of the old check";
  EXPECT_EQ(Text(18), L"Idle");
  EXPECT_TRUE(check.enables.empty() && choose.enables.empty() && field.enables.empty() && paste.enables.empty());
  EXPECT_FALSE(Enabled(19));
  EXPECT_EQ(taskbar.record.calls.size(), calls) << "the closed window's check shows nothing more";
}

}  // namespace
