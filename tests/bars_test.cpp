// The status bar and its progress bar.
#include "ui_fixture.h"

namespace {

TEST_F(UiTest, StatusBarKeepsItsProgressBarInsideFieldZero) {
  ASSERT_TRUE(CreateStatusBar(kTestWindow, {200, 100}, 18));
  ASSERT_TRUE(AddStatusProgress(kTestWindow, 0));
  HWND status = FindWindowExW(WindowHandle(kTestWindow), nullptr, STATUSCLASSNAMEW, nullptr);
  ASSERT_NE(status, nullptr);
  int edges[4] = {};
  ASSERT_EQ(SendMessageW(status, SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges)), 2);
  EXPECT_EQ(edges[0], 200);
  EXPECT_EQ(edges[1], 300);
  SetStatusText(kTestWindow, 1, L"Idle");
  wchar_t text[64] = L"";
  SendMessageW(status, SB_GETTEXTW, 1, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, L"Idle");
  HWND progress = FindWindowExW(status, nullptr, PROGRESS_CLASSW, nullptr);
  ASSERT_NE(progress, nullptr);
  SetStatusProgress(kTestWindow, 150);
  EXPECT_EQ(SendMessageW(progress, PBM_GETPOS, 0, 0), 100);
  SetStatusProgress(kTestWindow, 42);
  EXPECT_EQ(SendMessageW(progress, PBM_GETPOS, 0, 0), 42);

  SetWindowPos(WindowHandle(kTestWindow), nullptr, 0, 0, 600, 450, SWP_NOMOVE | SWP_NOZORDER);
  ServeFor(50);
  RECT field{};
  SendMessageW(status, SB_GETRECT, 0, reinterpret_cast<LPARAM>(&field));
  RECT bar = RectInParent(progress);
  EXPECT_EQ(bar.left, field.left + 2);
  EXPECT_EQ(bar.top, field.top + 3);
  EXPECT_EQ(bar.right - bar.left, field.right - field.left - 8);
  EXPECT_EQ(bar.bottom - bar.top, field.bottom - field.top - 6);
  EXPECT_GE(StatusBarHeight(kTestWindow), 18);
}

}  // namespace
