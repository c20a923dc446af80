// Windows by number: opening, closing, centring over an owner, the smallest size.
#include "ui_fixture.h"
#include "ui/timer.h"

namespace {

TEST_F(UiTest, WindowsOpenCloseAndCentreToolWindowsOverTheirOwner) {
  HWND main = WindowHandle(kTestWindow);
  EXPECT_EQ(WindowText(main), L"Test window");
  EXPECT_EQ(WindowClientWidth(kTestWindow), 400);
  EXPECT_EQ(WindowClientHeight(kTestWindow), 300);
  RECT outer{};
  GetWindowRect(main, &outer);
  EXPECT_EQ(outer.left, 50);
  EXPECT_EQ(outer.top, 40);

  ASSERT_TRUE(OpenWindow(kOtherWindow, 0, 0, 200, 100, L"Tool", WindowStyle::ToolWithClose, kTestWindow));
  HWND tool = WindowHandle(kOtherWindow);
  EXPECT_EQ(GetWindow(tool, GW_OWNER), main);
  EXPECT_TRUE(GetWindowLongW(tool, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  EXPECT_TRUE(GetWindowLongW(tool, GWL_STYLE) & WS_SYSMENU);
  RECT tool_outer{};
  GetWindowRect(tool, &tool_outer);
  EXPECT_NEAR((tool_outer.left + tool_outer.right) / 2, (outer.left + outer.right) / 2, 1);
  EXPECT_NEAR((tool_outer.top + tool_outer.bottom) / 2, (outer.top + outer.bottom) / 2, 1);
  SetActiveWindow(tool);
  ASSERT_EQ(GetActiveWindow(), tool);
  CloseWindowNumber(kOtherWindow);
  EXPECT_FALSE(IsWindow(tool));
  EXPECT_FALSE(IsWindowOpen(kOtherWindow));
  EXPECT_EQ(GetActiveWindow(), main) << "closing an owned window activates its owner";

  // Larger than its owner near the screen corner: left and top stop at 0.
  ASSERT_TRUE(OpenWindow(kOtherWindow, 0, 0, 900, 700, L"Big", WindowStyle::Tool, kTestWindow));
  GetWindowRect(WindowHandle(kOtherWindow), &tool_outer);
  EXPECT_EQ(tool_outer.left, 0);
  EXPECT_EQ(tool_outer.top, 0);
  EXPECT_FALSE(GetWindowLongW(WindowHandle(kOtherWindow), GWL_STYLE) & WS_SYSMENU);

  EnableWindowNumber(kTestWindow, false);
  EXPECT_FALSE(IsWindowEnabled(main));
  EnableWindowNumber(kTestWindow, true);
  EXPECT_TRUE(IsWindowEnabled(main));
}

TEST_F(UiTest, MinimumSizeIsTheSizeWhenFixed) {
  HWND main = WindowHandle(kTestWindow);
  RECT outer{};
  GetWindowRect(main, &outer);
  FixMinimumSize(kTestWindow);
  MINMAXINFO limits{};
  SendMessageW(main, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
  EXPECT_EQ(limits.ptMinTrackSize.x, outer.right - outer.left);
  EXPECT_EQ(limits.ptMinTrackSize.y, outer.bottom - outer.top);
}

// The loop serves a repeated call until it is stopped or its window closes.
TEST_F(UiTest, ARepeatedCallComesUntilStoppedOrItsWindowCloses) {
  static int calls = 0;
  calls = 0;
  ASSERT_TRUE(RepeatOnWindow(kTestWindow, 10, [] { ++calls; }));
  EXPECT_TRUE(ServeUntil([] { return calls >= 3; }));
  StopRepeating();
  ServeFor(30);
  const int stopped = calls;
  ServeFor(100);
  EXPECT_EQ(calls, stopped) << "no call after StopRepeating";

  ASSERT_TRUE(OpenWindow(kOtherWindow, 0, 0, 200, 100, L"Tool", WindowStyle::Tool, kTestWindow));
  ASSERT_TRUE(RepeatOnWindow(kOtherWindow, 10, [] { ++calls; }));
  EXPECT_TRUE(ServeUntil([&] { return calls > stopped; }));
  CloseWindowNumber(kOtherWindow);
  ServeFor(30);
  const int closed = calls;
  ServeFor(100);
  EXPECT_EQ(calls, closed) << "no call once its window has closed";
  StopRepeating();
  EXPECT_FALSE(RepeatOnWindow(kOtherWindow, 10, [] { ++calls; })) << "a window not open";
}

}  // namespace
