// Shortcuts raise menu events; Tab moves the focus.
#include "ui_fixture.h"

namespace {

TEST_F(UiTest, ShortcutsRaiseMenuEventsAndTabMovesTheFocus) {
  ASSERT_TRUE(ButtonGadget(1, 10, 10, 80, 24, L"One"));
  ASSERT_TRUE(ButtonGadget(2, 10, 40, 80, 24, L"Two"));
  ASSERT_TRUE(AddShortcut(kTestWindow, kShortcutControl, 'C', 6));
  ASSERT_TRUE(AddShortcut(kTestWindow, kShortcutPlain, VK_DELETE, 7));
  ASSERT_TRUE(AddShortcut(kTestWindow, kShortcutShift, VK_DELETE, 8));
  SetForegroundWindow(WindowHandle(kTestWindow));
  SetFocus(GadgetHandle(1));
  ASSERT_EQ(GetFocus(), GadgetHandle(1));

  std::vector<SeenEvent> control_c = PressKey(GadgetHandle(1), 'C', true, false);
  std::vector<SeenEvent> del = PressKey(GadgetHandle(1), VK_DELETE);
  std::vector<SeenEvent> shift_del = PressKey(GadgetHandle(1), VK_DELETE, false, true);
  std::vector<SeenEvent> plain_c = PressKey(GadgetHandle(1), 'C');
  ASSERT_EQ(control_c.size(), 1u);
  EXPECT_EQ(control_c[0], (SeenEvent{kEventMenu, kTestWindow, -1, 6, 0, {}}));
  ASSERT_EQ(del.size(), 1u);
  EXPECT_EQ(del[0].menu, 7);
  ASSERT_EQ(shift_del.size(), 1u);
  EXPECT_EQ(shift_del[0].menu, 8);
  EXPECT_TRUE(plain_c.empty());

  PressKey(GadgetHandle(1), VK_TAB);
  EXPECT_EQ(GetFocus(), GadgetHandle(2));
  PressKey(GadgetHandle(2), VK_TAB, false, true);
  EXPECT_EQ(GetFocus(), GadgetHandle(1));
}

}  // namespace
