// Messages of every window become events, in their order.
#include "ui_fixture.h"

namespace {

TEST_F(UiTest, ControlsMenusAndCloseBoxBecomeEventsInTheirOrder) {
  ASSERT_TRUE(ButtonGadget(1, 10, 10, 80, 24, L"Press"));
  ASSERT_TRUE(StringGadget(4, 10, 40, 100, 20, L""));
  ASSERT_TRUE(ListGadget(0, 10, 70, 300, 150, L"File", 100, kListFullRowSelect, rows.Model()));
  ASSERT_TRUE(SetMenuBar(kTestWindow, {{L"File", {{3, L"Open"}, {kMenuRule, L""}, {5, L"Exit"}}}}));
  HWND main = WindowHandle(kTestWindow);
  HMENU file = GetSubMenu(GetMenu(main), 0);
  ASSERT_EQ(GetMenuItemCount(file), 3);
  EXPECT_EQ(GetMenuItemID(file, 2), 5u);
  ServeFor(50);  // the menu bar's arrival resized the client area
  DiscardEvents();

  PostMessageW(GadgetHandle(1), BM_CLICK, 0, 0);
  PostMessageW(main, WM_COMMAND, MAKEWPARAM(5, 0), 0);
  PostMessageW(main, WM_CLOSE, 0, 0);
  std::vector<SeenEvent> seen = ServeFor(300);
  SetWindowTextW(GadgetHandle(4), L"typed");
  std::vector<SeenEvent> changes = ServeFor(100);
  PostMessageW(GadgetHandle(0), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(50, 100));
  PostMessageW(GadgetHandle(0), WM_RBUTTONUP, 0, MAKELPARAM(50, 100));
  std::vector<SeenEvent> right_clicks = ServeFor(300);

  std::vector<SeenEvent> expected{{kEventControl, kTestWindow, 1, -1, kEventTypeClick, {}},
                                  {kEventMenu, kTestWindow, -1, 5, 0, {}},
                                  {kEventClose, kTestWindow, -1, -1, 0, {}}};
  EXPECT_EQ(seen, expected);
  EXPECT_TRUE(IsWindow(main)) << "a close request closes nothing by itself";
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0], (SeenEvent{kEventControl, kTestWindow, 4, -1, kEventTypeChange, {}}));
  EXPECT_EQ(GetGadgetText(4), L"typed");
  ASSERT_FALSE(right_clicks.empty());
  EXPECT_EQ(right_clicks.back(), (SeenEvent{kEventControl, kTestWindow, 0, -1, kEventTypeRightClick, {}}));

  // Resizing the window reports a size event; minimizing does not.
  SetWindowPos(main, nullptr, 0, 0, 500, 400, SWP_NOMOVE | SWP_NOZORDER);
  std::vector<SeenEvent> sized = ServeFor(100);
  ASSERT_FALSE(sized.empty());
  EXPECT_EQ(sized.back().kind, kEventSize);
  ShowWindow(main, SW_MINIMIZE);
  for (const SeenEvent& event : ServeFor(100)) EXPECT_NE(event.kind, kEventSize);
  ShowWindow(main, SW_RESTORE);
}

}  // namespace
