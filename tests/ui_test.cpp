// The window and control services on real windows and controls, driven with
// real messages and read back with the controls' own messages.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <ole2.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <thread>

#include "ui/bars.h"
#include "ui/clipboard.h"
#include "ui/events.h"
#include "ui/file_drop.h"
#include "ui/gadget.h"
#include "ui/list.h"
#include "ui/menu.h"
#include "ui/requester.h"
#include "ui/window.h"
#include "test_files.h"
#include "ui_test_support.h"

namespace {

constexpr std::int32_t kTestWindow = 10;
constexpr std::int32_t kOtherWindow = 11;

// A list model over rows a test owns, guarded as a program's would be.
struct TestRows {
  struct Row {
    std::vector<std::wstring> cells;
    bool ticked = false;
  };
  std::mutex mutex;
  std::vector<Row> rows;

  ListModel Model() {
    ListModel model;
    model.count = [this] {
      std::lock_guard<std::mutex> hold(mutex);
      return static_cast<std::int32_t>(rows.size());
    };
    model.cell = [this](std::int32_t row, std::int32_t column) {
      std::lock_guard<std::mutex> hold(mutex);
      if (row < 0 || row >= static_cast<std::int32_t>(rows.size())) return std::wstring();
      const auto& cells = rows[static_cast<std::size_t>(row)].cells;
      return column >= 0 && column < static_cast<std::int32_t>(cells.size()) ? cells[static_cast<std::size_t>(column)]
                                                                             : std::wstring();
    };
    model.ticked = [this](std::int32_t row) { return Ticked(row); };
    model.set_ticked = [this](std::int32_t row, bool ticked) {
      std::lock_guard<std::mutex> hold(mutex);
      if (row >= 0 && row < static_cast<std::int32_t>(rows.size())) rows[static_cast<std::size_t>(row)].ticked = ticked;
    };
    return model;
  }
  bool Ticked(std::int32_t row) {
    std::lock_guard<std::mutex> hold(mutex);
    return row >= 0 && row < static_cast<std::int32_t>(rows.size()) && rows[static_cast<std::size_t>(row)].ticked;
  }
  void Add(std::vector<std::wstring> cells, bool ticked = false) {
    std::lock_guard<std::mutex> hold(mutex);
    rows.push_back({std::move(cells), ticked});
  }
  void Remove(std::size_t row) {
    std::lock_guard<std::mutex> hold(mutex);
    rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(row));
  }
};

struct UiTest : testing::Test {
  void SetUp() override {
    ASSERT_TRUE(StartUi());
    ASSERT_TRUE(OpenWindow(kTestWindow, 50, 40, 400, 300, L"Test window", WindowStyle::Main));
    ServeFor(50);
    DiscardEvents();
  }
  void TearDown() override {
    CloseWindowNumber(kOtherWindow);
    CloseWindowNumber(kTestWindow);
    ServeFor(20);
    DiscardEvents();
  }
  TestRows rows;  // a list's model: outlives the window, closed in TearDown
};

RECT RectInParent(HWND child) {
  RECT rect{};
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

bool TickedInControl(HWND list, int row) {
  return (SendMessageW(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK) &
          LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
}

int RowCountOfControl(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

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

TEST_F(UiTest, AHyperLinkReportsAClickOnlyWhenReleasedOverIt) {
  ASSERT_TRUE(HyperLinkGadget(103, 10, 10, 200, 19, L"https://example.org/", RGB(0, 0, 170), RGB(0, 0, 255)));
  HWND link = GadgetHandle(103);
  SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(6, 5));
  std::vector<SeenEvent> clicked = ServeFor(50);
  SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(5, 60));  // released below it
  std::vector<SeenEvent> moved_off = ServeFor(50);
  SendMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));  // released over it, never pressed there
  std::vector<SeenEvent> only_released = ServeFor(50);
  ASSERT_EQ(clicked.size(), 1u);
  EXPECT_EQ(clicked[0], (SeenEvent{kEventControl, kTestWindow, 103, -1, kEventTypeClick, {}}));
  EXPECT_TRUE(moved_off.empty());
  EXPECT_TRUE(only_released.empty());
  EXPECT_EQ(GetGadgetText(103), L"https://example.org/");
  EXPECT_TRUE(SendMessageW(link, WM_SETCURSOR, reinterpret_cast<WPARAM>(link), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
}

TEST_F(UiTest, ModelListDrawsFromItsModelAndGivesItTheUsersTicks) {
  rows.Add({L"a.txt", L"1 B", L""});
  rows.Add({L"b.txt", L"2 B", L""}, true);
  const ListModel model = rows.Model();
  ASSERT_TRUE(ListGadget(0, 0, 0, 400, 200, L"File", 200, kListCheckBoxes | kListFullRowSelect | kListGridLines,
                         model));
  ASSERT_TRUE(AddListColumn(0, 1, L"Size", 60) && AddListColumn(0, 2, L"Hash", 100));
  HWND list = GadgetHandle(0);
  EXPECT_TRUE(GetWindowLongW(list, GWL_STYLE) & LVS_OWNERDATA);
  EXPECT_TRUE(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_CHECKBOXES);
  ASSERT_EQ(RowCountOfControl(list), 2) << "the rows the model had when the list was made";

  // Texts and ticks: the control stores none, so each answer came from the model.
  rows.Add({L"c.txt", L"3 B", L"ffff"});
  EXPECT_EQ(RowCountOfControl(list), 2) << "until the owner says so";
  ShowListRowCount(0);
  ASSERT_EQ(RowCountOfControl(list), 3);
  EXPECT_EQ(CountListRows(0), 3);
  EXPECT_EQ(ListCellText(list, 2, 2), L"ffff");
  EXPECT_EQ(GetListCellText(0, 1, 0), L"b.txt");
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  wchar_t short_text[3] = L"";
  item.pszText = short_text;
  item.cchTextMax = 3;
  SendMessageW(list, LVM_GETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&item));
  EXPECT_EQ(std::wstring(short_text), L"a.") << "cut to the caller's buffer";
  EXPECT_FALSE(TickedInControl(list, 0));
  EXPECT_TRUE(TickedInControl(list, 1));

  // The user's click on a tick box changes the model at once.
  ASSERT_TRUE(ClickTickBox(list, 0));
  EXPECT_TRUE(rows.Ticked(0));
  EXPECT_TRUE(TickedInControl(list, 0));
  ASSERT_TRUE(ClickTickBox(list, 1));
  EXPECT_FALSE(rows.Ticked(1));
  EXPECT_TRUE(rows.Ticked(0)) << "a click toggles its own row only";
  // A double click is two clicks: the tick comes back.
  RECT box{};
  box.left = LVIR_BOUNDS;
  SendMessageW(list, LVM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&box));
  ASSERT_TRUE(ClickTickBox(list, 2));
  EXPECT_TRUE(rows.Ticked(2));
  LVHITTESTINFO hit{};
  for (hit.pt = {box.left, (box.top + box.bottom) / 2}; hit.pt.x < box.left + 64; ++hit.pt.x) {
    SendMessageW(list, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    if (hit.flags & LVHT_ONITEMSTATEICON) break;
  }
  ASSERT_TRUE(hit.flags & LVHT_ONITEMSTATEICON);
  const LPARAM at = MAKELPARAM(hit.pt.x + 2, hit.pt.y);
  SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  SendMessageW(list, WM_LBUTTONUP, 0, at);
  EXPECT_FALSE(rows.Ticked(2));

  // Selection stays the control's; workers read it too.
  SetGadgetState(0, 2);
  EXPECT_EQ(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 2);
  LVITEMW select{};
  select.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  select.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&select));
  EXPECT_EQ(GetGadgetState(0), 1);
  std::int32_t selected_on_worker = -2;
  std::thread([&] { selected_on_worker = GetGadgetState(0); }).join();
  EXPECT_EQ(selected_on_worker, 1);

  // Space ticks the selected row, as the user presses it in the list.
  SetFocus(list);
  PressKey(list, VK_SPACE);
  EXPECT_TRUE(rows.Ticked(1));
  PressKey(list, VK_SPACE);
  EXPECT_FALSE(rows.Ticked(1));
  EXPECT_TRUE(rows.Ticked(0));

  // A worker changes the model; the owner has the row drawn again.
  std::thread([&] {
    std::lock_guard<std::mutex> hold(rows.mutex);
    rows.rows[1].cells[2] = L"digest";
  }).join();
  RedrawListRow(0, 1);
  EXPECT_EQ(ListCellText(list, 1, 2), L"digest");

  // Remove: the model lets the row go, then the control its place; the
  // selection moves up with its row.
  {
    std::lock_guard<std::mutex> hold(rows.mutex);
    rows.rows.erase(rows.rows.begin());
  }
  RemoveListRow(0, 0);
  ASSERT_EQ(RowCountOfControl(list), 2);
  EXPECT_EQ(ListCellText(list, 0, 0), L"b.txt");
  EXPECT_EQ(ListCellText(list, 0, 2), L"digest");
  EXPECT_EQ(GetGadgetState(0), 0);

  // Typing a letter finds the row from the model (the control holds no text to search).
  SetGadgetState(0, 0);
  SetFocus(list);
  PostMessageW(list, WM_CHAR, L'C', 1);
  ServeFor(100);
  EXPECT_EQ(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 1);

  // Clear.
  {
    std::lock_guard<std::mutex> hold(rows.mutex);
    rows.rows.clear();
  }
  ClearList(0);
  EXPECT_EQ(RowCountOfControl(list), 0);
  EXPECT_EQ(GetGadgetState(0), -1);
}

TEST_F(UiTest, ListSelectionFollowsItsRowAndIsReadFromAnyThread) {
  for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt"}) rows.Add({name});
  ASSERT_TRUE(ListGadget(0, 0, 0, 400, 200, L"File", 200, kListFullRowSelect, rows.Model()));
  HWND list = GadgetHandle(0);
  SetGadgetState(0, 2);
  EXPECT_EQ(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 2);
  EXPECT_EQ(GetGadgetState(0), 2);
  std::int32_t selected_on_worker = -2;
  std::thread([&] { selected_on_worker = GetGadgetState(0); }).join();
  EXPECT_EQ(selected_on_worker, 2);

  rows.Remove(0);
  RemoveListRow(0, 0);
  ASSERT_EQ(RowCountOfControl(list), 2);
  EXPECT_EQ(ListCellText(list, 0, 0), L"b.txt");
  EXPECT_EQ(GetGadgetState(0), 1) << "the selection moved up with its row";
  rows.Remove(0);
  rows.Remove(0);
  ClearList(0);
  EXPECT_EQ(RowCountOfControl(list), 0);
  EXPECT_EQ(CountListRows(0), 0);
  EXPECT_EQ(GetGadgetState(0), -1);
}

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

TEST(Clipboard, RoundTripsNonAsciiTextAndReadsEmptyWhenCleared) {
  ASSERT_TRUE(StartUi());
  const std::wstring text = L"Pr\u00fcfsumme \u2713 \u65e5\u672c\r\nzweite Zeile";
  ASSERT_TRUE(SetClipboardText(text));
  EXPECT_EQ(GetClipboardText(), text);
  ASSERT_TRUE(EmptyClipboardNow());
  EXPECT_EQ(GetClipboardText(), L"");
  ASSERT_TRUE(SetClipboardText(L""));
  EXPECT_EQ(GetClipboardText(), L"");
}

TEST(FileDrop, PathsOfAListOfFilesComeInTheirOrder) {
  const std::vector<std::wstring> names{L"C:\\data\\one.bin", L"C:\\\u00e9t\u00e9\\two"};
  HGLOBAL memory = MakeFileList(names);
  ASSERT_NE(memory, nullptr);
  EXPECT_EQ(DroppedPaths(static_cast<HDROP>(memory)), names);
  GlobalFree(memory);
}

// The window's registered drop target, as OLE calls it during a drag.
TEST_F(UiTest, FilesDroppedOnTheWindowBecomeOneDropEventAndTextIsRefused) {
  HWND main = WindowHandle(kTestWindow);
  ASSERT_TRUE(EnableFileDrop(kTestWindow));
  auto* target = static_cast<IDropTarget*>(GetPropW(main, L"OleDropTargetInterface"));
  ASSERT_NE(target, nullptr);
  POINTL at{100, 100};

  IDataObject* text = MakeTextDataObject(L"just text");
  DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  EXPECT_EQ(target->DragEnter(text, MK_LBUTTON, at, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  effect = DROPEFFECT_COPY;
  target->Drop(text, 0, at, &effect);
  text->Release();
  EXPECT_TRUE(ServeFor(50).empty());

  const std::vector<std::wstring> paths{L"C:\\first file.txt", L"C:\\folder", L"D:\\\u00fcber.bin"};
  IDataObject* files = MakeFileDataObject(paths);
  effect = DROPEFFECT_MOVE | DROPEFFECT_LINK;
  EXPECT_EQ(target->DragEnter(files, MK_LBUTTON, at, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_MOVE)) << "move drops are accepted too";
  effect = DROPEFFECT_COPY;
  EXPECT_EQ(target->DragOver(MK_LBUTTON, at, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_EQ(target->Drop(files, 0, at, &effect), S_OK);
  files->Release();
  std::vector<SeenEvent> seen = ServeFor(50);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0], (SeenEvent{kEventDrop, kTestWindow, -1, -1, 0, paths}));
}

// Workers write while the window thread serves its queue.
TEST_F(UiTest, WritesFromWorkerThreadsLandOnTheWindowThread) {
  ASSERT_TRUE(TextGadget(3, 10, 10, 200, 20, L"start"));
  ASSERT_TRUE(CheckBoxGadget(2, 10, 40, 120, 20, L"Tick"));
  ASSERT_TRUE(CreateToolbar(kTestWindow));
  ASSERT_TRUE(AddToolbarButton(kTestWindow, 1, -1));
  ASSERT_TRUE(AddToolbarButton(kTestWindow, 2, -1));
  ASSERT_TRUE(CreateStatusBar(kTestWindow, {200, 100}, 18));
  ASSERT_TRUE(AddStatusProgress(kTestWindow, 0));
  HWND toolbar = FindWindowExW(WindowHandle(kTestWindow), nullptr, TOOLBARCLASSNAMEW, nullptr);
  HWND status = FindWindowExW(WindowHandle(kTestWindow), nullptr, STATUSCLASSNAMEW, nullptr);
  DWORD window_thread = GetCurrentThreadId();

  std::atomic<int> wrong_thread{0};
  auto worker = [&] {
    if (GetCurrentThreadId() == window_thread) ++wrong_thread;
    SetGadgetText(3, L"written by a worker");
    SetGadgetState(2, 1);
    EnableToolbarButton(kTestWindow, 1, false);
    SetStatusText(kTestWindow, 1, L"Calculating");
    SetStatusProgress(kTestWindow, 77);
  };
  std::thread first(worker);
  std::thread second(worker);
  // The workers never wait on this thread, so joining before serving is safe.
  first.join();
  second.join();
  EXPECT_EQ(wrong_thread.load(), 0);
  ASSERT_TRUE(ServeUntil([&] { return WindowText(GadgetHandle(3)) == L"written by a worker"; }));
  ServeFor(50);
  EXPECT_EQ(SendMessageW(GadgetHandle(2), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_FALSE(SendMessageW(toolbar, TB_ISBUTTONENABLED, 1, 0));
  EXPECT_TRUE(SendMessageW(toolbar, TB_ISBUTTONENABLED, 2, 0));
  wchar_t text[64] = L"";
  SendMessageW(status, SB_GETTEXTW, 1, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, L"Calculating");
  EXPECT_EQ(SendMessageW(FindWindowExW(status, nullptr, PROGRESS_CLASSW, nullptr), PBM_GETPOS, 0, 0), 77);
  // Reads from a worker see what the window thread has applied.
  std::wstring text_seen;
  std::int32_t state_seen = -1;
  std::thread reader([&] {
    text_seen = GetGadgetText(3);
    state_seen = GetGadgetState(2);
  });
  reader.join();
  EXPECT_EQ(text_seen, L"written by a worker");
  EXPECT_EQ(state_seen, 1);
}

// Windows refuses posts to a thread whose queue holds 10,000 of them; Wine
// has no such cap. Here every wake-up post is refused while the window thread
// is busy elsewhere: all writes still land, in order, once it serves again.
BOOL WINAPI RefusedPost(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

TEST_F(UiTest, NoWriteIsLostWhenWakeUpPostsAreRefused) {
  ASSERT_TRUE(TextGadget(3, 10, 10, 200, 20, L"start"));
  const WakePost before = ReplaceWakePost(RefusedPost);
  constexpr int kWrites = 30000;
  std::vector<int> applied;  // window thread only
  std::thread worker([&] {
    for (int i = 0; i < kWrites; ++i) CallOnWindowThread(kTestWindow, [&applied, i] { applied.push_back(i); });
    SetGadgetText(3, L"last");
  });
  worker.join();  // the window thread served nothing meanwhile
  EXPECT_TRUE(applied.empty());
  EXPECT_TRUE(ServeUntil([] { return GetGadgetText(3) == L"last"; }));
  ReplaceWakePost(before);
  ASSERT_EQ(applied.size(), static_cast<std::size_t>(kWrites));
  for (int i = 0; i < kWrites; ++i) ASSERT_EQ(applied[static_cast<std::size_t>(i)], i);
}

TEST_F(UiTest, WritesForAClosedWindowNeverReachItsReopening) {
  ASSERT_TRUE(OpenWindow(kOtherWindow, 0, 0, 200, 100, L"First opening", WindowStyle::Tool, kTestWindow));
  ASSERT_TRUE(TextGadget(18, 10, 10, 150, 20, L"Idle"));

  // A bound worker: its window is closed and opened again before it writes.
  std::atomic<int> step{0};
  std::thread bound(BindToOpenWindows([&] {
    while (step.load() != 1) Sleep(1);
    SetGadgetText(18, L"from the old worker");
    EnableGadget(18, false);
    step = 2;
  }));
  CloseWindowNumber(kOtherWindow);
  ASSERT_TRUE(OpenWindow(kOtherWindow, 0, 0, 200, 100, L"Second opening", WindowStyle::Tool, kTestWindow));
  ASSERT_TRUE(TextGadget(18, 10, 10, 150, 20, L"Idle"));
  step = 1;
  bound.join();
  ServeFor(100);
  EXPECT_EQ(WindowText(GadgetHandle(18)), L"Idle");
  EXPECT_TRUE(IsWindowEnabled(GadgetHandle(18)));

  // An unbound worker's write is on its way when the window closes and reopens.
  std::thread([] { SetGadgetText(18, L"late write"); }).join();
  CloseWindowNumber(kOtherWindow);
  ASSERT_TRUE(OpenWindow(kOtherWindow, 0, 0, 200, 100, L"Third opening", WindowStyle::Tool, kTestWindow));
  ASSERT_TRUE(TextGadget(18, 10, 10, 150, 20, L"Idle"));
  ServeFor(100);
  EXPECT_EQ(WindowText(GadgetHandle(18)), L"Idle");

  // While the window stays open, the same bound write does arrive.
  std::thread(BindToOpenWindows([] { SetGadgetText(18, L"arrives"); })).join();
  ServeFor(100);
  EXPECT_EQ(WindowText(GadgetHandle(18)), L"arrives");
  // And to a window that is simply closed, it goes nowhere.
  std::thread late(BindToOpenWindows([] { Sleep(50); SetGadgetText(18, L"nowhere"); }));
  CloseWindowNumber(kOtherWindow);
  late.join();
  ServeFor(50);
  EXPECT_FALSE(GadgetExists(18));
}

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
