// Gadgets by number, in their window or inside their panel.
#include "ui_fixture.h"

namespace {

TEST_F(UiTest, GadgetsAreMadeByNumberInTheWindowOrInsideTheirPanel) {
  ASSERT_TRUE(ButtonGadget(1, 10, 10, 80, 24, L"Press"));
  ASSERT_TRUE(CheckBoxGadget(2, 10, 40, 120, 20, L"Tick"));
  ASSERT_TRUE(TextGadget(3, 10, 70, 100, 20, L"Label", kTextCentred));
  ASSERT_TRUE(StringGadget(4, 10, 100, 100, 20, L"field", kFieldReadOnly | kFieldBorderless));
  ASSERT_TRUE(EditorGadget(5, 150, 10, 200, 80));
  ASSERT_TRUE(FrameGadget(6, 150, 100, 200, 60, L"Frame"));
  ASSERT_TRUE(PanelGadget(7, 10, 170, 200, 100));
  ASSERT_TRUE(CheckBoxGadget(8, 10, 5, 150, 20, L"In panel"));
  EndPanel();
  ASSERT_TRUE(HyperLinkGadget(9, 220, 170, 150, 20, L"https://example.org/", RGB(0, 0, 170), RGB(0, 0, 255)));
  EXPECT_FALSE(ButtonGadget(1, 0, 0, 10, 10, L"again")) << "gadget numbers are unique";

  EXPECT_EQ(ClassName(GadgetHandle(1)), L"Button");
  EXPECT_EQ(ClassName(GadgetHandle(4)), L"Edit");
  EXPECT_EQ(ClassName(GadgetHandle(7)), L"SysTabControl32");
  EXPECT_EQ(GetParent(GadgetHandle(8)), GadgetHandle(7));
  EXPECT_EQ(GetParent(GadgetHandle(9)), WindowHandle(kTestWindow));
  EXPECT_TRUE(GetWindowLongW(GadgetHandle(3), GWL_STYLE) & SS_CENTER);
  EXPECT_TRUE(GetWindowLongW(GadgetHandle(4), GWL_STYLE) & ES_READONLY);
  EXPECT_FALSE(GetWindowLongW(GadgetHandle(4), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  EXPECT_TRUE(GetWindowLongW(GadgetHandle(5), GWL_STYLE) & ES_MULTILINE);
  EXPECT_EQ(GetWindowLongW(GadgetHandle(6), GWL_STYLE) & BS_TYPEMASK, BS_GROUPBOX);
  RECT in_panel = RectInParent(GadgetHandle(8));
  EXPECT_EQ(in_panel.left, 10);
  EXPECT_EQ(in_panel.top, 5);

  SetGadgetText(3, L"New label");
  EXPECT_EQ(WindowText(GadgetHandle(3)), L"New label");
  EXPECT_EQ(GetGadgetText(4), L"field");
  SetGadgetState(2, 1);
  EXPECT_EQ(SendMessageW(GadgetHandle(2), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(GetGadgetState(2), 1);
  SendMessageW(GadgetHandle(2), BM_SETCHECK, BST_UNCHECKED, 0);
  EXPECT_EQ(GetGadgetState(2), 0);
  EnableGadget(1, false);
  EXPECT_FALSE(IsWindowEnabled(GadgetHandle(1)));
  ResizeGadget(1, 20, 12, 90, 30);
  RECT moved = RectInParent(GadgetHandle(1));
  EXPECT_EQ(moved.left, 20);
  EXPECT_EQ(moved.top, 12);
  EXPECT_EQ(moved.right - moved.left, 90);
  EXPECT_EQ(moved.bottom - moved.top, 30);

  CloseWindowNumber(kTestWindow);
  EXPECT_FALSE(GadgetExists(1));
  EXPECT_FALSE(GadgetExists(8));
  EXPECT_EQ(GetGadgetText(3), L"");
}

}  // namespace
