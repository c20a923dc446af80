// List gadgets: report-view list controls, and the rows of those without a model.
#include "ui/list.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "ui/gadget.h"
#include "ui/scale.h"
#include "ui/ui_state.h"
#include "ui/window.h"
#include "ui/write.h"

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

std::int32_t RowIndexOf(const GadgetRecord& gadget, std::uint64_t id) {
  for (std::size_t row = 0; row < gadget.rows.size(); ++row)
    if (gadget.rows[row].id == id) return static_cast<std::int32_t>(row);
  return -1;
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
  if (gadget.kind != GadgetKind::List) return;
  HWND list = gadget.handle;
  std::int32_t row = write.row;
  if (write.row_id != 0) {
    row = RowIndexOf(gadget, write.row_id);
    if (row < 0) return;  // the row was removed before the write arrived
  }
  const std::int32_t count = gadget.has_model ? gadget.model.count()
                                              : static_cast<std::int32_t>(gadget.rows.size());
  UiState& state = State();
  switch (write.kind) {
    case WriteKind::GadgetState: {
      // Select row `state` only, or nothing for -1.
      LVITEMW item{};
      item.stateMask = LVIS_SELECTED;
      SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
      if (write.state >= 0 && write.state < count) {
        item.state = LVIS_SELECTED;
        SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(write.state), reinterpret_cast<LPARAM>(&item));
      }
      return;
    }
    case WriteKind::ListClear: {
      // An owner-data control would be asked about every row by LVM_DELETEALLITEMS.
      if (gadget.has_model)
        SendMessageW(list, LVM_SETITEMCOUNT, 0, 0);
      else
        SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
      std::lock_guard<std::recursive_mutex> hold(state.lock);
      gadget.rows.clear();
      gadget.state = -1;
      return;
    }
    case WriteKind::ListRemove: {
      if (gadget.has_model) {
        // The model has let the row go already; the place follows.
        SendMessageW(list, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
      } else {
        if (row < 0 || row >= count) return;
        // The control first, so that its notifications still find the copy aligned.
        SendMessageW(list, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
        std::lock_guard<std::recursive_mutex> hold(state.lock);
        gadget.rows.erase(gadget.rows.begin() + row);
      }
      NoteListSelection(write.gadget);  // the selection below moved up
      return;
    }
    default:
      break;
  }
  if (gadget.has_model) return;  // the model owns rows and cells
  switch (write.kind) {
    case WriteKind::ListAdd: {
      std::wstring texts = FittedToColumns(write.text, std::max<std::int32_t>(1, ColumnCount(list)));
      std::vector<std::wstring> cells = SplitAtLineFeeds(texts);
      texts.shrink_to_fit();
      {
        std::lock_guard<std::recursive_mutex> hold(state.lock);
        gadget.rows.push_back(StoredRow{++state.last_row_id, std::move(texts)});
      }
      LVITEMW item{};
      item.mask = LVIF_TEXT;
      item.iItem = count;
      item.pszText = const_cast<wchar_t*>(cells[0].c_str());
      std::int32_t index = static_cast<std::int32_t>(SendMessageW(list, LVM_INSERTITEMW, 0,
                                                                   reinterpret_cast<LPARAM>(&item)));
      if (index < 0) {
        std::lock_guard<std::recursive_mutex> hold(state.lock);
        gadget.rows.pop_back();
        return;
      }
      for (std::size_t column = 1; column < cells.size(); ++column)
        SetCell(list, index, static_cast<std::int32_t>(column), cells[column]);
      return;
    }
    case WriteKind::ListCell: {
      if (row < 0 || row >= count) return;
      StoredRow& stored = gadget.rows[static_cast<std::size_t>(row)];
      std::size_t start = 0, length = 0;
      if (!FindCell(stored.texts, write.column, &start, &length)) return;
      {
        std::lock_guard<std::recursive_mutex> hold(state.lock);
        PutCell(stored, write.column, write.text);
      }
      SetCell(list, row, write.column, CellOf(stored, write.column));
      return;
    }
    default:
      return;
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
                const ListModel* model) {
  HWND list = MakeGadget(gadget, GadgetKind::List, WC_LISTVIEWW, L"",
                         WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | (model ? LVS_OWNERDATA : 0),
                         WS_EX_CLIENTEDGE, x, y, width, height);
  if (!list) return false;
  DWORD extended = LVS_EX_DOUBLEBUFFER | ((flags & kListCheckBoxes) ? LVS_EX_CHECKBOXES : 0) |
                   ((flags & kListFullRowSelect) ? LVS_EX_FULLROWSELECT : 0) |
                   ((flags & kListGridLines) ? LVS_EX_GRIDLINES : 0);
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
  // An owner-data control keeps no tick: it asks for the state image when it draws or is asked.
  if (model && (flags & kListCheckBoxes)) SendMessageW(list, LVM_SETCALLBACKMASK, LVIS_STATEIMAGEMASK, 0);
  {
    std::lock_guard<std::recursive_mutex> hold(State().lock);
    GadgetRecord& record = *FindGadget(gadget);
    record.text.clear();
    record.state = -1;
    if (model) {
      record.model = *model;
      record.has_model = true;
    }
  }
  if (model) ShowListRowCount(gadget);
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

void AddListRow(std::int32_t gadget, const std::wstring& texts) {
  Write write = GadgetWrite(WriteKind::ListAdd, gadget, -1);
  write.text = texts;
  Carry(std::move(write));
}

void RemoveListRow(std::int32_t gadget, std::int32_t row) {
  if (row < 0) return;
  Carry(GadgetWrite(WriteKind::ListRemove, gadget, row));
}

void ClearList(std::int32_t gadget) { Carry(GadgetWrite(WriteKind::ListClear, gadget, -1)); }

std::int32_t CountListRows(std::int32_t gadget) {
  std::lock_guard<std::recursive_mutex> hold(State().lock);
  GadgetRecord* record = FindGadget(gadget);
  if (!record || record->kind != GadgetKind::List) return 0;
  if (record->has_model) return record->model.count();
  return static_cast<std::int32_t>(record->rows.size());
}

std::wstring GetListCellText(std::int32_t gadget, std::int32_t row, std::int32_t column) {
  std::lock_guard<std::recursive_mutex> hold(State().lock);
  GadgetRecord* record = FindGadget(gadget);
  if (!record || record->kind != GadgetKind::List || row < 0) return std::wstring();
  if (record->has_model) return record->model.cell(row, column);
  if (row >= static_cast<std::int32_t>(record->rows.size())) return std::wstring();
  return CellOf(record->rows[static_cast<std::size_t>(row)], column);
}

void SetListCellText(std::int32_t gadget, std::int32_t row, std::int32_t column, const std::wstring& text) {
  if (row < 0) return;
  Write write = GadgetWrite(WriteKind::ListCell, gadget, row);
  write.column = column;
  write.text = text;
  Carry(std::move(write));
}

void ShowListRowCount(std::int32_t gadget) {
  GadgetRecord* record = ListOnWindowThread(gadget);
  if (!record || !record->has_model) return;
  // Only the new rows' places are drawn; the view stays where it is.
  SendMessageW(record->handle, LVM_SETITEMCOUNT, static_cast<WPARAM>(record->model.count()),
               LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
}

void RedrawListRow(std::int32_t gadget, std::int32_t row) {
  GadgetRecord* record = ListOnWindowThread(gadget);
  if (record && row >= 0) SendMessageW(record->handle, LVM_REDRAWITEMS, row, row);
}
