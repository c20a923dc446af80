// The hyperlink gadget: a click only when released over it.
#include "ui_fixture.h"

namespace {

TEST_F(UiTest, AHyperLinkReportsAClickOnlyWhenReleasedOverIt) {
  ASSERT_TRUE(HyperLinkGadget(103, 10, 10, 200, 19, L"https://example.org/", RGB(0, 0, 170), RGB(0, 0, 255)));
  HWND link = GadgetHandle(103);
  // Pressed, the link has the mouse until released, wherever that is; then
  // the next click goes where it is made again.
  SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_EQ(GetCapture(), link);
  SendMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(6, 5));
  EXPECT_EQ(GetCapture(), nullptr);
  std::vector<SeenEvent> clicked = ServeFor(50);
  SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(5, 60));  // released below it
  EXPECT_EQ(GetCapture(), nullptr);
  std::vector<SeenEvent> moved_off = ServeFor(50);
  SendMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));  // released over it, never pressed there
  std::vector<SeenEvent> only_released = ServeFor(50);
  ASSERT_EQ(clicked.size(), 1u);
  EXPECT_EQ(clicked[0], (SeenEvent{kEventControl, kTestWindow, 103, -1, kEventTypeClick, {}}));
  EXPECT_TRUE(moved_off.empty());
  EXPECT_TRUE(only_released.empty());
  // The pointer coming and going changes the link's colour: it is drawn anew each time.
  for (const UINT message : {WM_MOUSEMOVE, WM_MOUSELEAVE}) {
    ValidateRect(link, nullptr);
    SendMessageW(link, message, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(GetUpdateRect(link, nullptr, FALSE)) << message;
  }
  EXPECT_EQ(GetGadgetText(103), L"https://example.org/");
  EXPECT_TRUE(SendMessageW(link, WM_SETCURSOR, reinterpret_cast<WPARAM>(link), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
}

}  // namespace
