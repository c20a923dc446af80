// File requesters and the message box.
#include "ui_fixture.h"

namespace {

std::wstring CurrentFolder() {
  wchar_t folder[MAX_PATH] = L"";
  GetCurrentDirectoryW(MAX_PATH, folder);
  return folder;
}

TEST_F(UiTest, RequestersReturnTheChoiceOrNothingAndKeepTheWorkingDirectory) {
  ScratchFolder scratch;
  std::wstring a = scratch.Write(L"a.txt", "a");
  std::wstring b = scratch.Write(L"b.txt", "b");
  wchar_t full[MAX_PATH] = L"";
  GetFullPathNameW(a.c_str(), MAX_PATH, full, nullptr);
  std::wstring folder(full);
  folder.resize(folder.find_last_of(L'\\'));
  ASSERT_FALSE(b.empty());
  ASSERT_TRUE(ButtonGadget(1, 10, 10, 80, 24, L"First"));
  ASSERT_TRUE(ButtonGadget(2, 10, 40, 80, 24, L"Second"));
  ASSERT_TRUE(OpenWindow(kOtherWindow, 0, 0, 200, 100, L"Other", WindowStyle::Tool, kTestWindow));
  SetActiveWindow(WindowHandle(kTestWindow));
  SetFocus(GadgetHandle(2));
  std::wstring before = CurrentFolder();

  RequesterAnswer cancel{L"Pick one", L"", WindowHandle(kOtherWindow)};
  std::thread answering(Answer, &cancel);
  EXPECT_EQ(OpenFileRequester(L"Pick one", L"", L"All Files|*.*", false), L"");
  answering.join();
  ASSERT_TRUE(cancel.found);
  EXPECT_TRUE(cancel.other_was_disabled) << "the program's other windows wait while a requester is shown";
  EXPECT_TRUE(IsWindowEnabled(WindowHandle(kOtherWindow)));
  EXPECT_TRUE(IsWindowEnabled(WindowHandle(kTestWindow)));
  EXPECT_EQ(GetActiveWindow(), WindowHandle(kTestWindow));
  EXPECT_EQ(GetFocus(), GadgetHandle(2)) << "the focus goes back where it was";

  RequesterAnswer one{L"Pick one", folder + L"\\a.txt"};
  answering = std::thread(Answer, &one);
  EXPECT_EQ(OpenFileRequester(L"Pick one", L"", L"Text|*.txt|All Files|*.*", false), folder + L"\\a.txt");
  answering.join();
  EXPECT_EQ(NextSelectedFile(), L"");

  SetCurrentDirectoryW(folder.c_str());
  RequesterAnswer two{L"Pick two", L"\"a.txt\" \"b.txt\""};
  answering = std::thread(Answer, &two);
  std::wstring first = OpenFileRequester(L"Pick two", L"", L"All Files|*.*", true);
  answering.join();
  std::wstring second = NextSelectedFile();
  EXPECT_EQ(NextSelectedFile(), L"");
  SetCurrentDirectoryW(before.c_str());
  std::vector<std::wstring> chosen{first, second};
  std::sort(chosen.begin(), chosen.end());
  EXPECT_EQ(chosen, (std::vector<std::wstring>{folder + L"\\a.txt", folder + L"\\b.txt"}));

  RequesterAnswer save{L"Save as", folder + L"\\new.md5"};
  answering = std::thread(Answer, &save);
  EXPECT_EQ(SaveFileRequester(L"Save as", L"", L"MD5 Files|*.md5"), folder + L"\\new.md5");
  answering.join();
  EXPECT_EQ(GetFocus(), GadgetHandle(2)) << "the focus goes back where it was";
  EXPECT_EQ(CurrentFolder(), before);
}

// Set by a write a worker carries to the test window while the requester is
// open; the requester waits for it, at most 10 s.
HANDLE g_write_applied = nullptr;
bool g_served_while_open = false;

BOOL WINAPI OpenDialogThatWaitsForTheWindow(OPENFILENAMEW*) {
  std::thread worker([] { CallOnWindowThread(kTestWindow, [] { SetEvent(g_write_applied); }); });
  worker.join();
  g_served_while_open = WaitForSingleObject(g_write_applied, 10000) == WAIT_OBJECT_0;
  return FALSE;
}

TEST_F(UiTest, TheWindowThreadServesItsMessagesWhileARequesterIsOpen) {
  g_write_applied = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  g_served_while_open = false;
  const OpenDialog dialog = ReplaceOpenDialog(OpenDialogThatWaitsForTheWindow);
  EXPECT_EQ(OpenFileRequester(L"Pick one", L"", L"All Files|*.*", false), L"");
  ReplaceOpenDialog(dialog);
  CloseHandle(g_write_applied);
  EXPECT_TRUE(g_served_while_open) << "a worker's write waited for the requester to close";
}

TEST_F(UiTest, MessageBoxShowsItsTextAndReturnsOnOk) {
  std::wstring shown;
  std::thread answering([&shown] {
    HWND box = FindDialog(L"Error");
    if (!box) return;
    shown = MessageBoxText(box);
    PressUntilGone(box, IDOK);
  });
  MessageRequester(L"Error", L"Invalid md5 file.");
  answering.join();
  EXPECT_EQ(shown, L"Invalid md5 file.");
}

}  // namespace
