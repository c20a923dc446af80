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

// `texts` with exactly `columns` cells: missing ones empty, extra ones dropped.
std::wstring FittedToColumns(std::wstring texts, std::int32_t columns) {
  std::int32_t cells = 1;
  for (std::size_t at = 0; at < texts.size(); ++at) {
    if (texts[at] != L'\n') continue;
    if (cells == columns) {
      texts.resize(at);
      return texts;
    }
    ++cells;
  }
  texts.append(static_cast<std::size_t>(std::max(0, columns - cells)), L'\n');
  return texts;
}

// Where cell `column` stands in a row's joined texts; false if it has none.
bool FindCell(const std::wstring& texts, std::int32_t column, std::size_t* start, std::size_t* length) {
  if (column < 0) return false;
  std::size_t at = 0;
  for (std::int32_t skip = 0; skip < column; ++skip) {
    at = texts.find(L'\n', at);
    if (at == std::wstring::npos) return false;
    ++at;
  }
  std::size_t end = texts.find(L'\n', at);
  *start = at;
  *length = (end == std::wstring::npos ? texts.size() : end) - at;
  return true;
}

std::wstring CellOf(const StoredRow& row, std::int32_t column) {
  std::size_t start = 0, length = 0;
  return FindCell(row.texts, column, &start, &length) ? row.texts.substr(start, length) : std::wstring();
}

// A cell holds no LF: it would split the joined texts (and a list cell shows one line).
void PutCell(StoredRow& row, std::int32_t column, std::wstring text) {
  std::size_t start = 0, length = 0;
  if (!FindCell(row.texts, column, &start, &length)) return;
  std::replace(text.begin(), text.end(), L'\n', L' ');
  row.texts.replace(start, length, text);
}

ListRow Unpacked(const StoredRow& row) {
  return ListRow{row.id, row.number, row.state, SplitAtLineFeeds(row.texts)};
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

// A virtual list's rows are drawn from the copy: after the copy changed, the
// row is drawn again (the control keeps no text to compare).
void RedrawRow(HWND list, std::int32_t row) { SendMessageW(list, LVM_REDRAWITEMS, row, row); }

// The selected bit of the copy, from the control (which keeps the selection
// even in owner-data mode). The caller holds the lock.
void TakeSelection(GadgetRecord& gadget, std::int32_t row) {
  if (row < 0 || row >= static_cast<std::int32_t>(gadget.rows.size())) return;
  bool selected = SendMessageW(gadget.handle, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED) & LVIS_SELECTED;
  std::int32_t& state = gadget.rows[static_cast<std::size_t>(row)].state;
  state = selected ? (state | kRowSelected) : (state & ~kRowSelected);
}

// The user's click on a tick box, or space: an owner-data control leaves the
// tick to its owner. The copy changes at once, under the lock, so a worker's
// next read sees it.
void ToggleTick(GadgetRecord& gadget, std::int32_t row) {
  if (row < 0 || row >= static_cast<std::int32_t>(gadget.rows.size())) return;
  {
    std::lock_guard<std::recursive_mutex> hold(State().lock);
    gadget.rows[static_cast<std::size_t>(row)].state ^= kRowTicked;
  }
  RedrawRow(gadget.handle, row);
}

void ApplyVirtualListWrite(const Write& write, GadgetRecord& gadget, std::int32_t row) {
  HWND list = gadget.handle;
  UiState& state = State();
  std::int32_t count = static_cast<std::int32_t>(gadget.rows.size());
  switch (write.kind) {
    case WriteKind::ListAdd: {
      std::wstring texts = FittedToColumns(write.text, std::max<std::int32_t>(1, ColumnCount(list)));
      texts.shrink_to_fit();
      {
        std::lock_guard<std::recursive_mutex> hold(state.lock);
        gadget.rows.push_back(StoredRow{++state.last_row_id, write.number, 0, std::move(texts)});
      }
      // Only the new row's place is drawn; the view stays where it is.
      if (!SendMessageW(list, LVM_SETITEMCOUNT, static_cast<WPARAM>(count + 1),
                        LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL)) {
        std::lock_guard<std::recursive_mutex> hold(state.lock);
        gadget.rows.pop_back();
      }
      return;
    }
    case WriteKind::ListRowState: {
      {
        std::lock_guard<std::recursive_mutex> hold(state.lock);
        std::int32_t& bits = gadget.rows[static_cast<std::size_t>(row)].state;
        bits = (write.a & kRowTicked) ? (bits | kRowTicked) : (bits & ~kRowTicked);
      }
      LVITEMW item{};
      item.stateMask = LVIS_SELECTED;
      item.state = (write.a & kRowSelected) ? LVIS_SELECTED : 0;
      SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
      {
        std::lock_guard<std::recursive_mutex> hold(state.lock);
        TakeSelection(gadget, row);
      }
      RedrawRow(list, row);
      return;
    }
    case WriteKind::ListCell: {
      {
        std::lock_guard<std::recursive_mutex> hold(state.lock);
        PutCell(gadget.rows[static_cast<std::size_t>(row)], write.a, write.text);
      }
      RedrawRow(list, row);
      return;
    }
    case WriteKind::ListRowNumber: {
      std::lock_guard<std::recursive_mutex> hold(state.lock);
      gadget.rows[static_cast<std::size_t>(row)].number = write.number;
      return;
    }
    default:
      return;
  }
}

Write RowWrite(WriteKind kind, std::int32_t gadget, std::int32_t row) {
  Write write;
  write.kind = kind;
  write.gadget = gadget;
  write.row = row;
  return write;
}

// Reads on the window thread go to the control itself; elsewhere, and for a
// virtual list everywhere, to the copy.
template <typename FromControl, typename FromCopy>
auto ReadRow(std::int32_t gadget, std::int32_t row, FromControl from_control, FromCopy from_copy,
             decltype(from_copy(StoredRow{})) missing) {
  std::lock_guard<std::recursive_mutex> hold(State().lock);
  GadgetRecord* record = FindGadget(gadget);
  if (!record || record->kind != GadgetKind::List || row < 0 ||
      row >= static_cast<std::int32_t>(record->rows.size()))
    return missing;
  if (OnWindowThread() && !record->virtual_rows) return from_control(record->handle);
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
  if (gadget.virtual_rows && write.kind != WriteKind::GadgetState && write.kind != WriteKind::ListRemove &&
      write.kind != WriteKind::ListClear) {
    ApplyVirtualListWrite(write, gadget, row);
    return;
  }
  UiState& state = State();
  switch (write.kind) {
    case WriteKind::ListAdd: {
      std::wstring texts = FittedToColumns(write.text, std::max<std::int32_t>(1, ColumnCount(list)));
      std::vector<std::wstring> cells = SplitAtLineFeeds(texts);
      texts.shrink_to_fit();
      {
        std::lock_guard<std::recursive_mutex> hold(state.lock);
        gadget.rows.push_back(StoredRow{++state.last_row_id, write.number, 0, std::move(texts)});
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
      // The control first, so that its notifications still find the copy
      // aligned. A virtual list deletes the row's place too, so that the
      // selection below moves up with its row.
      SendMessageW(list, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
      std::lock_guard<std::recursive_mutex> hold(state.lock);
      gadget.rows.erase(gadget.rows.begin() + row);
      return;
    }
    case WriteKind::ListClear: {
      // A virtual list would be asked about every row by LVM_DELETEALLITEMS.
      if (gadget.virtual_rows)
        SendMessageW(list, LVM_SETITEMCOUNT, 0, 0);
      else
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
      StoredRow& stored = gadget.rows[static_cast<std::size_t>(row)];
      std::size_t start = 0, length = 0;
      if (!FindCell(stored.texts, write.a, &start, &length)) return;
      {
        std::lock_guard<std::recursive_mutex> hold(state.lock);
        PutCell(stored, write.a, write.text);
      }
      SetCell(list, row, write.a, CellOf(stored, write.a));
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
  if (record->virtual_rows) {
    // The control keeps the selection only; ticks live in the copy alone.
    if (row >= 0) {
      TakeSelection(*record, row);
      return;
    }
    for (StoredRow& each : record->rows) each.state &= ~kRowSelected;
    for (LRESULT at = SendMessageW(record->handle, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
         at >= 0 && at < static_cast<LRESULT>(record->rows.size());
         at = SendMessageW(record->handle, LVM_GETNEXTITEM, static_cast<WPARAM>(at), LVNI_SELECTED))
      record->rows[static_cast<std::size_t>(at)].state |= kRowSelected;
    return;
  }
  if (row < 0) {
    // A change to every row at once (select none, for example).
    for (std::size_t each = 0; each < record->rows.size(); ++each)
      record->rows[each].state = ControlRowState(record->handle, static_cast<std::int32_t>(each));
    return;
  }
  if (row < static_cast<std::int32_t>(record->rows.size()))
    record->rows[static_cast<std::size_t>(row)].state = ControlRowState(record->handle, row);
}

LRESULT AnswerVirtualList(std::int32_t gadget, NMHDR* header) {
  GadgetRecord* record = FindGadget(gadget);
  if (!record || record->kind != GadgetKind::List || !record->virtual_rows) return 0;
  const std::vector<StoredRow>& rows = record->rows;
  const auto count = static_cast<std::int32_t>(rows.size());
  switch (header->code) {
    case LVN_GETDISPINFOW: {
      LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(header)->item;
      if (item.iItem < 0 || item.iItem >= count) return 0;
      const StoredRow& row = rows[static_cast<std::size_t>(item.iItem)];
      if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
        std::size_t start = 0, length = 0;
        if (!FindCell(row.texts, item.iSubItem, &start, &length)) length = 0;
        length = std::min<std::size_t>(length, static_cast<std::size_t>(item.cchTextMax - 1));
        row.texts.copy(item.pszText, length, start);
        item.pszText[length] = L'\0';
      }
      if (item.mask & LVIF_STATE) {
        item.state = (item.state & ~LVIS_STATEIMAGEMASK) | INDEXTOSTATEIMAGEMASK((row.state & kRowTicked) ? 2 : 1);
        item.stateMask |= LVIS_STATEIMAGEMASK;
      }
      return 0;
    }
    case NM_CLICK:
    case NM_DBLCLK: {  // the second click of a double click comes as this alone
      LVHITTESTINFO hit{};
      hit.pt = reinterpret_cast<NMITEMACTIVATE*>(header)->ptAction;
      SendMessageW(record->handle, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
      if (hit.iItem >= 0 && (hit.flags & LVHT_ONITEMSTATEICON)) ToggleTick(*record, hit.iItem);
      return 0;
    }
    case LVN_KEYDOWN:
      if (reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey == VK_SPACE)
        ToggleTick(*record, static_cast<std::int32_t>(
                                SendMessageW(record->handle, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)));
      return 0;
    case LVN_ODSTATECHANGED: {
      const auto* change = reinterpret_cast<NMLVODSTATECHANGE*>(header);
      std::lock_guard<std::recursive_mutex> hold(State().lock);
      for (int row = std::max(0, change->iFrom); row <= change->iTo && row < count; ++row) TakeSelection(*record, row);
      return 0;
    }
    case LVN_ODFINDITEMW: {
      // Type-ahead: the first row from iStart on (wrapping) whose first cell
      // starts with the typed text, ignoring case; -1 for none.
      const auto* find = reinterpret_cast<NMLVFINDITEMW*>(header);
      if (!(find->lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) || !find->lvfi.psz || count == 0) return -1;
      const std::wstring typed = find->lvfi.psz;
      const std::int32_t start = find->iStart >= 0 && find->iStart < count ? find->iStart : 0;
      for (std::int32_t step = 0; step < count; ++step) {
        const StoredRow& row = rows[static_cast<std::size_t>((start + step) % count)];
        if (std::min(row.texts.find(L'\n'), row.texts.size()) < typed.size()) continue;
        if (CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, row.texts.c_str(), static_cast<int>(typed.size()),
                           typed.c_str(), static_cast<int>(typed.size())) == CSTR_EQUAL)
          return (start + step) % count;
      }
      return -1;
    }
    default:
      return 0;
  }
}

}  // namespace ui

bool ListGadget(std::int32_t gadget, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                const std::wstring& first_column, std::int32_t first_width, std::uint32_t flags) {
  if (!StartUi()) return false;
  UiState& state = State();
  WindowRecord* window = FindWindowRecord(state.current_window);
  if (!window || GadgetExists(gadget)) return false;
  const bool virtual_rows = (flags & kListVirtual) != 0;
  HWND list = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
                                  (virtual_rows ? LVS_OWNERDATA : 0),
                              x, y, width, height, window->gadget_parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(1000 + gadget)),
                              GetModuleHandleW(nullptr), nullptr);
  if (!list) return false;
  SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(GuiFont()), FALSE);
  DWORD extended = LVS_EX_DOUBLEBUFFER | ((flags & kListCheckBoxes) ? LVS_EX_CHECKBOXES : 0) |
                   ((flags & kListFullRowSelect) ? LVS_EX_FULLROWSELECT : 0) |
                   ((flags & kListGridLines) ? LVS_EX_GRIDLINES : 0);
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
  // An owner-data control keeps no tick: it asks for the state image when it draws or is asked.
  if (virtual_rows && (flags & kListCheckBoxes)) SendMessageW(list, LVM_SETCALLBACKMASK, LVIS_STATEIMAGEMASK, 0);
  {
    std::lock_guard<std::recursive_mutex> hold(state.lock);
    GadgetRecord& record = state.gadgets[gadget];
    record = GadgetRecord{};
    record.handle = list;
    record.window = state.current_window;
    record.kind = GadgetKind::List;
    record.state = -1;
    record.virtual_rows = virtual_rows;
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
  if (OnWindowThread() && !record->virtual_rows)
    return static_cast<std::int32_t>(SendMessageW(record->handle, LVM_GETITEMCOUNT, 0, 0));
  return static_cast<std::int32_t>(record->rows.size());
}

std::int32_t GetListRowState(std::int32_t gadget, std::int32_t row) {
  return ReadRow(
      gadget, row, [row](HWND list) { return ControlRowState(list, row); },
      [](const StoredRow& copy) { return copy.state; }, 0);
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
      [column](const StoredRow& copy) { return CellOf(copy, column); },
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
  std::lock_guard<std::recursive_mutex> hold(State().lock);
  GadgetRecord* record = FindGadget(gadget);
  if (!record || record->kind != GadgetKind::List || row < 0 || row >= static_cast<std::int32_t>(record->rows.size()))
    return 0;
  return record->rows[static_cast<std::size_t>(row)].number;
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
  *out = Unpacked(record->rows[static_cast<std::size_t>(row)]);
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
  *out = Unpacked(record->rows[static_cast<std::size_t>(row)]);
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
