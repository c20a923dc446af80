// List gadgets: report-view list controls that draw from their models.
#include "ui/list.h"

#include <windows.h>

#include <commctrl.h>

#include <map>

#include "ui/gadget.h"
#include "ui/scale.h"
#include "ui/ui_state.h"
#include "ui/window.h"
#include "ui/write.h"

namespace {

using namespace ui;

std::int32_t ColumnCount(HWND list) {
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  return header ? static_cast<std::int32_t>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 1;
}

// The list gadget `gadget` on the window thread, or null.
GadgetRecord* ListOnWindowThread(std::int32_t gadget) {
  if (!OnWindowThread()) return nullptr;
  GadgetRecord* record = FindGadget(gadget);
  return record && record->kind == GadgetKind::List ? record : nullptr;
}

}  // namespace

namespace ui {

void ApplyListWrite(const Write& write, GadgetRecord& gadget) {
  if (gadget.kind != GadgetKind::List || write.kind != WriteKind::GadgetState) return;
  // Select row `state` only, or nothing for -1.
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED;
  SendMessageW(gadget.handle, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
  if (write.state >= 0 && write.state < gadget.model.count()) {
    item.state = LVIS_SELECTED;
    SendMessageW(gadget.handle, LVM_SETITEMSTATE, static_cast<WPARAM>(write.state), reinterpret_cast<LPARAM>(&item));
  }
}

void RescaleListColumns(HWND list, std::int32_t old_dpi, std::int32_t dpi) {
  // From the widths they have now: the user may have dragged them.
  for (std::int32_t column = 0; column < ColumnCount(list); ++column) {
    const auto width = static_cast<std::int32_t>(SendMessageW(list, LVM_GETCOLUMNWIDTH, column, 0));
    SendMessageW(list, LVM_SETCOLUMNWIDTH, column, MAKELPARAM(MulDiv(width, dpi, old_dpi), 0));
  }
}

void NoteListSelection(std::int32_t gadget) {
  GadgetRecord* record = FindGadget(gadget);
  if (!record || record->kind != GadgetKind::List) return;
  const auto selected = static_cast<std::int32_t>(
      SendMessageW(record->handle, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  std::lock_guard<std::recursive_mutex> hold(State().lock);
  record->state = selected;
}

}  // namespace ui

bool ListGadget(std::int32_t gadget, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                const std::wstring& first_column, std::int32_t first_width, std::uint32_t flags,
                const ListModel& model) {
  HWND list = MakeGadget(gadget, GadgetKind::List, WC_LISTVIEWW, L"",
                         WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_OWNERDATA,
                         WS_EX_CLIENTEDGE, x, y, width, height);
  if (!list) return false;
  DWORD extended = LVS_EX_DOUBLEBUFFER | ((flags & kListCheckBoxes) ? LVS_EX_CHECKBOXES : 0) |
                   ((flags & kListFullRowSelect) ? LVS_EX_FULLROWSELECT : 0) |
                   ((flags & kListGridLines) ? LVS_EX_GRIDLINES : 0);
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
  // An owner-data control keeps no tick: it asks for the state image when it draws or is asked.
  if (flags & kListCheckBoxes) SendMessageW(list, LVM_SETCALLBACKMASK, LVIS_STATEIMAGEMASK, 0);
  {
    std::lock_guard<std::recursive_mutex> hold(State().lock);
    GadgetRecord& record = *FindGadget(gadget);
    record.text.clear();
    record.state = -1;
    record.model = model;
  }
  ShowListRowCount(gadget);
  NameGadget(gadget, first_column);
  return AddListColumn(gadget, 0, first_column, first_width);
}

bool AddListColumn(std::int32_t gadget, std::int32_t column, const std::wstring& title, std::int32_t width) {
  std::int32_t dpi = kBaseDpi;
  HWND list = nullptr;
  {
    std::lock_guard<std::recursive_mutex> hold(State().lock);
    GadgetRecord* record = FindGadget(gadget);
    if (!record) return false;
    list = record->handle;
    dpi = WindowDpi(record->window);
  }
  LVCOLUMNW entry{};
  entry.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  entry.pszText = const_cast<wchar_t*>(title.c_str());
  entry.cx = Scaled(width, dpi);
  entry.iSubItem = column;
  return SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&entry)) >= 0;
}

void RemoveListRow(std::int32_t gadget, std::int32_t row) {
  GadgetRecord* record = ListOnWindowThread(gadget);
  if (!record || row < 0) return;
  // The model has let the row go already; the place follows, and the
  // selection below moves up with its row.
  SendMessageW(record->handle, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
  NoteListSelection(gadget);
}

void ClearList(std::int32_t gadget) {
  GadgetRecord* record = ListOnWindowThread(gadget);
  if (!record) return;
  // Not LVM_DELETEALLITEMS: an owner-data control would ask about every row.
  SendMessageW(record->handle, LVM_SETITEMCOUNT, 0, 0);
  std::lock_guard<std::recursive_mutex> hold(State().lock);
  record->state = -1;
}

void ShowListRowCount(std::int32_t gadget) {
  GadgetRecord* record = ListOnWindowThread(gadget);
  if (!record) return;
  // Only the new rows' places are drawn; the view stays where it is.
  SendMessageW(record->handle, LVM_SETITEMCOUNT, static_cast<WPARAM>(record->model.count()),
               LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
}

void ShowListRowCountNowAndThen(std::int32_t gadget) {
  constexpr ULONGLONG kEvery = 100;
  static std::map<std::int32_t, ULONGLONG> shown_at;  // window thread only
  const ULONGLONG now = GetTickCount64();
  ULONGLONG& last = shown_at[gadget];
  if (now - last < kEvery) return;
  last = now;
  ShowListRowCount(gadget);
}

void RedrawListRow(std::int32_t gadget, std::int32_t row) {
  GadgetRecord* record = ListOnWindowThread(gadget);
  if (record && row >= 0) SendMessageW(record->handle, LVM_REDRAWITEMS, row, row);
}
