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
  ASSERT_TRUE(OpenWindow(kOtherWindow, 0, 0, 200, 100, L"Other", WindowStyle::Tool, kTestWindow));
  SetActiveWindow(WindowHandle(kTestWindow));
  std::wstring before = CurrentFolder();

  RequesterAnswer cancel{L"Pick one", L"", WindowHandle(kOtherWindow)};
  std::thread answering(Answer, &cancel);
  EXPECT_EQ(OpenFileRequester(L"Pick one", L"", L"All Files|*.*", false), L"");
  answering.join();
  ASSERT_TRUE(cancel.found);
  EXPECT_TRUE(cancel.other_was_disabled) << "the program's other windows wait while a requester is shown";
  EXPECT_TRUE(IsWindowEnabled(WindowHandle(kOtherWindow)));

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
  EXPECT_EQ(CurrentFolder(), before);
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
