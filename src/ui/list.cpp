// List gadgets: report-view list controls and their rows.
#include "ui/list.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>

#include "ui/gadget.h"
#include "ui/ui_state.h"
#include "ui/window.h"

namespace {

using namespace ui;

std::vector<std::wstring> SplitAtLineFeeds(const std::wstring& texts) {
  std::vector<std::wstring> parts;
  std::size_t start = 0;
  while (true) {
    std::size_t end = texts.find(L'\n', start);
    parts.push_back(texts.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start));
    if (end == std::wstring::npos) return parts;
    start = end + 1;
  }
}

std::int32_t ColumnCount(HWND list) {
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  return header ? static_cast<std::int32_t>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 1;
}

void SetCell(HWND list, std::int32_t row, std::int32_t column, const std::wstring& text) {
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = const_cast<wchar_t*>(text.c_str());
  SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

std::int32_t ControlRowState(HWND list, std::int32_t row) {
  UINT bits = static_cast<UINT>(
      SendMessageW(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED | LVIS_STATEIMAGEMASK));
  std::int32_t state = (bits & LVIS_SELECTED) ? kRowSelected : 0;
  if ((bits & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2)) state |= kRowTicked;
  return state;
}

void SetControlRowState(HWND list, std::int32_t row, std::int32_t state) {
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_STATEIMAGEMASK;
  item.state = ((state & kRowSelected) ? LVIS_SELECTED : 0) |
               INDEXTOSTATEIMAGEMASK((state & kRowTicked) ? 2 : 1);
  SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

std::int32_t RowIndexOf(const GadgetRecord& gadget, std::uint64_t id) {
  for (std::size_t row = 0; row < gadget.rows.size(); ++row)
    if (gadget.rows[row].id == id) return static_cast<std::int32_t>(row);
  return -1;
}

std::int32_t RowIndexOfNumber(const GadgetRecord& gadget, std::intptr_t number) {
  for (std::size_t row = 0; row < gadget.rows.size(); ++row)
    if (gadget.rows[row].number == number) return static_cast<std::int32_t>(row);
  return -1;
}

Write RowWrite(WriteKind kind, std::int32_t gadget, std::int32_t row) {
  Write write;
  write.kind = kind;
  write.gadget = gadget;
  write.row = row;
  return write;
}

// Reads on the window thread go to the control itself; elsewhere to the copy.
template <typename FromControl, typename FromCopy>
auto ReadRow(std::int32_t gadget, std::int32_t row, FromControl from_control, FromCopy from_copy,
             decltype(from_copy(ListRow{})) missing) {
  std::lock_guard<std::recursive_mutex> hold(State().lock);
  GadgetRecord* record = FindGadget(gadget);
  if (!record || record->kind != GadgetKind::List || row < 0 ||
      row >= static_cast<std::int32_t>(record->rows.size()))
    return missing;
  if (OnWindowThread()) return from_control(record->handle);
  return from_copy(record->rows[static_cast<std::size_t>(row)]);
}

}  // namespace

namespace ui {

void ApplyListWrite(const Write& write, GadgetRecord& gadget) {
  if (gadget.kind != GadgetKind::List) return;
  HWND list = gadget.handle;
  std::int32_t row = write.row;
  if (write.by_number) {
    row = RowIndexOfNumber(gadget, write.number);
    if (row < 0) return;
  } else if (write.row_id != 0) {
    row = RowIndexOf(gadget, write.row_id);
    if (row < 0) return;  // the row was removed before the write arrived
  }
  std::int32_t count = static_cast<std::int32_t>(gadget.rows.size());
  bool row_needed = write.kind != WriteKind::ListAdd && write.kind != WriteKind::ListClear &&
                    write.kind != WriteKind::GadgetState;
  if (row_needed && (row < 0 || row >= count)) return;
  UiState& state = State();
  switch (write.kind) {
    case WriteKind::ListAdd: {
      std::vector<std::wstring> cells = SplitAtLineFeeds(write.text);
      cells.resize(static_cast<std::size_t>(std::max<std::int32_t>(1, ColumnCount(list))));
      {
        std::lock_guard<std::recursive_mutex> hold(state.lock);
        gadget.rows.push_back(ListRow{++state.last_row_id, write.number, 0, cells});
      }
      LVITEMW item{};
      item.mask = LVIF_TEXT | LVIF_PARAM;
      item.iItem = count;
      item.pszText = const_cast<wchar_t*>(cells[0].c_str());
      item.lParam = write.number;
      std::int32_t index = static_cast<std::int32_t>(SendMessageW(list, LVM_INSERTITEMW, 0,
                                                                   reinterpret_cast<LPARAM>(&item)));
      if (index < 0) {
        std::lock_guard<std::recursive_mutex> hold(state.lock);
        gadget.rows.pop_back();
        return;
      }
      for (std::size_t column = 1; column < cells.size(); ++column)
        SetCell(list, index, static_cast<std::int32_t>(column), cells[column]);
      NoteListItemChanged(write.gadget, index);
      return;
    }
    case WriteKind::ListRemove: {
      // The control first, so that its notifications still find the copy aligned.
      SendMessageW(list, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
      std::lock_guard<std::recursive_mutex> hold(state.lock);
      gadget.rows.erase(gadget.rows.begin() + row);
      return;
    }
    case WriteKind::ListClear: {
      SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
      std::lock_guard<std::recursive_mutex> hold(state.lock);
      gadget.rows.clear();
      return;
    }
    case WriteKind::ListRowState:
      SetControlRowState(list, row, write.a);
      return;
    case WriteKind::GadgetState: {
      // Select row `a` only, or nothing for -1.
      LVITEMW item{};
      item.stateMask = LVIS_SELECTED;
      SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
      if (write.a >= 0 && write.a < count) {
        item.state = LVIS_SELECTED;
        SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(write.a), reinterpret_cast<LPARAM>(&item));
      }
      return;
    }
    case WriteKind::ListCell: {
      std::vector<std::wstring>& cells = gadget.rows[static_cast<std::size_t>(row)].cells;
      if (write.a < 0 || write.a >= static_cast<std::int32_t>(cells.size())) return;
      {
        std::lock_guard<std::recursive_mutex> hold(state.lock);
        cells[static_cast<std::size_t>(write.a)] = write.text;
      }
      SetCell(list, row, write.a, write.text);
      return;
    }
    case WriteKind::ListRowNumber: {
      {
        std::lock_guard<std::recursive_mutex> hold(state.lock);
        gadget.rows[static_cast<std::size_t>(row)].number = write.number;
      }
      LVITEMW item{};
      item.mask = LVIF_PARAM;
      item.iItem = row;
      item.lParam = write.number;
      SendMessageW(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
      return;
    }
    default:
      return;
  }
}

void NoteListItemChanged(std::int32_t gadget, std::int32_t row) {
  std::lock_guard<std::recursive_mutex> hold(State().lock);
  GadgetRecord* record = FindGadget(gadget);
  if (!record || record->kind != GadgetKind::List) return;
  if (row < 0) {
    // A change to every row at once (select none, for example).
    for (std::size_t each = 0; each < record->rows.size(); ++each)
      record->rows[each].state = ControlRowState(record->handle, static_cast<std::int32_t>(each));
    return;
  }
  if (row < static_cast<std::int32_t>(record->rows.size()))
    record->rows[static_cast<std::size_t>(row)].state = ControlRowState(record->handle, row);
}

}  // namespace ui

bool ListGadget(std::int32_t gadget, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                const std::wstring& first_column, std::int32_t first_width, std::uint32_t flags) {
  if (!StartUi()) return false;
  UiState& state = State();
  WindowRecord* window = FindWindowRecord(state.current_window);
  if (!window || GadgetExists(gadget)) return false;
  HWND list = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS, x,
                              y, width, height, window->gadget_parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(1000 + gadget)),
                              GetModuleHandleW(nullptr), nullptr);
  if (!list) return false;
  SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(GuiFont()), FALSE);
  DWORD extended = LVS_EX_DOUBLEBUFFER | ((flags & kListCheckBoxes) ? LVS_EX_CHECKBOXES : 0) |
                   ((flags & kListFullRowSelect) ? LVS_EX_FULLROWSELECT : 0) |
                   ((flags & kListGridLines) ? LVS_EX_GRIDLINES : 0);
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
  {
    std::lock_guard<std::recursive_mutex> hold(state.lock);
    GadgetRecord& record = state.gadgets[gadget];
    record = GadgetRecord{};
    record.handle = list;
    record.window = state.current_window;
    record.kind = GadgetKind::List;
    record.state = -1;
  }
  return AddListColumn(gadget, 0, first_column, first_width);
}

bool AddListColumn(std::int32_t gadget, std::int32_t column, const std::wstring& title, std::int32_t width) {
  HWND list = GadgetHandle(gadget);
  if (!list) return false;
  LVCOLUMNW entry{};
  entry.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  entry.pszText = const_cast<wchar_t*>(title.c_str());
  entry.cx = width;
  entry.iSubItem = column;
  return SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&entry)) >= 0;
}

void AddListRow(std::int32_t gadget, const std::wstring& texts, std::intptr_t number) {
  Write write = RowWrite(WriteKind::ListAdd, gadget, -1);
  write.text = texts;
  write.number = number;
  Carry(std::move(write));
}

void RemoveListRow(std::int32_t gadget, std::int32_t row) {
  if (row < 0) return;
  Carry(RowWrite(WriteKind::ListRemove, gadget, row));
}

void ClearList(std::int32_t gadget) { Carry(RowWrite(WriteKind::ListClear, gadget, -1)); }

std::int32_t CountListRows(std::int32_t gadget) {
  std::lock_guard<std::recursive_mutex> hold(State().lock);
  GadgetRecord* record = FindGadget(gadget);
  if (!record || record->kind != GadgetKind::List) return 0;
  if (OnWindowThread()) return static_cast<std::int32_t>(SendMessageW(record->handle, LVM_GETITEMCOUNT, 0, 0));
  return static_cast<std::int32_t>(record->rows.size());
}

std::int32_t GetListRowState(std::int32_t gadget, std::int32_t row) {
  return ReadRow(
      gadget, row, [row](HWND list) { return ControlRowState(list, row); },
      [](const ListRow& copy) { return copy.state; }, 0);
}

void SetListRowState(std::int32_t gadget, std::int32_t row, std::int32_t state) {
  if (row < 0) return;
  Write write = RowWrite(WriteKind::ListRowState, gadget, row);
  write.a = state;
  Carry(std::move(write));
}

std::wstring GetListCellText(std::int32_t gadget, std::int32_t row, std::int32_t column) {
  return ReadRow(
      gadget, row,
      [row, column](HWND list) {
        wchar_t buffer[1024] = L"";
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = buffer;
        item.cchTextMax = 1024;
        SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
        return std::wstring(buffer);
      },
      [column](const ListRow& copy) {
        return column >= 0 && column < static_cast<std::int32_t>(copy.cells.size())
                   ? copy.cells[static_cast<std::size_t>(column)]
                   : std::wstring();
      },
      std::wstring());
}

void SetListCellText(std::int32_t gadget, std::int32_t row, std::int32_t column, const std::wstring& text) {
  if (row < 0) return;
  Write write = RowWrite(WriteKind::ListCell, gadget, row);
  write.a = column;
  write.text = text;
  Carry(std::move(write));
}

std::intptr_t GetListRowNumber(std::int32_t gadget, std::int32_t row) {
  ListRow copy;
  return ReadListRow(gadget, row, &copy) ? copy.number : 0;
}

void SetListRowNumber(std::int32_t gadget, std::int32_t row, std::intptr_t number) {
  if (row < 0) return;
  Write write = RowWrite(WriteKind::ListRowNumber, gadget, row);
  write.number = number;
  Carry(std::move(write));
}

bool ReadListRow(std::int32_t gadget, std::int32_t row, ListRow* out) {
  *out = ListRow{};
  std::lock_guard<std::recursive_mutex> hold(State().lock);
  GadgetRecord* record = FindGadget(gadget);
  if (!record || record->kind != GadgetKind::List || row < 0 ||
      row >= static_cast<std::int32_t>(record->rows.size()))
    return false;
  *out = record->rows[static_cast<std::size_t>(row)];
  return true;
}

void SetListCellTextById(std::int32_t gadget, std::uint64_t id, std::int32_t column, const std::wstring& text) {
  if (id == 0) return;
  Write write = RowWrite(WriteKind::ListCell, gadget, -1);
  write.row_id = id;
  write.a = column;
  write.text = text;
  Carry(std::move(write));
}

std::int32_t FindListRow(std::int32_t gadget, std::uint64_t id) {
  std::lock_guard<std::recursive_mutex> hold(State().lock);
  GadgetRecord* record = FindGadget(gadget);
  return record && record->kind == GadgetKind::List ? RowIndexOf(*record, id) : -1;
}

bool ReadListRowByNumber(std::int32_t gadget, std::intptr_t number, ListRow* out) {
  *out = ListRow{};
  std::lock_guard<std::recursive_mutex> hold(State().lock);
  GadgetRecord* record = FindGadget(gadget);
  if (!record || record->kind != GadgetKind::List) return false;
  std::int32_t row = RowIndexOfNumber(*record, number);
  if (row < 0) return false;
  *out = record->rows[static_cast<std::size_t>(row)];
  return true;
}

void SetListCellTextByNumber(std::int32_t gadget, std::intptr_t number, std::int32_t column,
                             const std::wstring& text) {
  Write write = RowWrite(WriteKind::ListCell, gadget, -1);
  write.by_number = true;
  write.number = number;
  write.a = column;
  write.text = text;
  Carry(std::move(write));
}
