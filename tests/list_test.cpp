// List gadgets: drawn from their model, the user's ticks given to it, the selection.
#include "ui_fixture.h"

namespace {

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
  EXPECT_EQ(GetGadgetState(0), -1) << "no row is selected yet";
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

}  // namespace
