#include "app/file_list.h"

#include <windows.h>

#include "app/folder_walk.h"
#include "app/main_window.h"
#include "app/program.h"
#include "app/size_text.h"
#include "os/path_size.h"
#include "os/path_text.h"
#include "ui/clipboard.h"
#include "ui/gadget.h"
#include "ui/list.h"
#include "ui/menu.h"
#include "ui/requester.h"

namespace {

constexpr std::int32_t kHashColumn = 2;

// With redraw on, every insert repaints the list (milliseconds per row under
// load); bulk adds hold it off and the list is drawn once at the end. Nested
// holds (a drop that walks folders) redraw only when the outermost ends.
int g_redraw_held = 0;

void HoldRedraw() {
  if (g_redraw_held++ == 0) SendMessageW(GadgetHandle(kFileListGadget), WM_SETREDRAW, FALSE, 0);
}

void ReleaseRedraw() {
  if (--g_redraw_held != 0) return;
  HWND list = GadgetHandle(kFileListGadget);
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

// The control's copy of the row with id `id`; `index` gets its position when
// found the quick way, else -1. FileRows and the control hold the same rows in
// the same order whenever the window thread is between two changes, so
// FileRows' index is tried first; the number check catches a worker's read
// that fell between the two halves of a change, and the full lookup by number
// answers it exactly.
bool FindControlRow(RowId id, ListRow* row, std::int32_t* index) {
  *index = -1;
  const auto number = static_cast<std::intptr_t>(id);
  const std::int64_t at = RowIndex(TheFileRows(), id);
  if (at < 0) return false;  // deleted, or cleared
  if (ReadListRow(kFileListGadget, static_cast<std::int32_t>(at), row) && row->number == number) {
    *index = static_cast<std::int32_t>(at);
    return true;
  }
  return ReadListRowByNumber(kFileListGadget, number, row);
}

}  // namespace

FileRows& TheFileRows() {
  static FileRows rows;
  return rows;
}

void AddFileRow(const std::wstring& path) { AddFileRow(path, os::PathSize(path)); }

void AddFileRow(const std::wstring& path, std::int64_t size) {
  FileRows& rows = TheFileRows();
  const RowId id = NextRowId(rows);
  const bool ticked = TheProgram().settings.auto_check != 0;
  const std::int32_t index = CountListRows(kFileListGadget);
  AddListRow(kFileListGadget, os::FileNamePart(path) + L"\n" + SizeText(size) + L"\n", static_cast<std::intptr_t>(id));
  if (CountListRows(kFileListGadget) != index + 1) return;  // the control took no row: no entry either
  if (ticked) SetListRowState(kFileListGadget, index, kRowTicked);
  AppendRow(rows, FileEntry{path, size}, ticked);  // FileRows' flag: the state at adding only
}

void AddFolderTree(const std::wstring& folder) {
  HoldRedraw();
  WalkFolderTree(folder, [](const std::wstring& path, std::int64_t size) { AddFileRow(path, size); });
  ReleaseRedraw();
}

void AddFilesByRequester() {
  std::wstring path = OpenFileRequester(L"Open", L"", L"All Files| *", true);
  HoldRedraw();
  for (; !path.empty(); path = NextSelectedFile()) AddFileRow(path);
  ReleaseRedraw();
}

void AddDroppedPaths(const std::wstring& paths) {
  HoldRedraw();
  std::size_t start = 0;
  while (start <= paths.size()) {
    std::size_t end = paths.find(L'\n', start);
    if (end == std::wstring::npos) end = paths.size();
    const std::wstring path = paths.substr(start, end - start);
    // A drop never carries an empty path; an empty piece is no file.
    if (!path.empty()) {
      if (os::PathSize(path) == os::kPathIsFolder)
        AddFolderTree(path);
      else
        AddFileRow(path);
    }
    start = end + 1;
  }
  ReleaseRedraw();
}

std::vector<ChecksumRow> ChecksumRowsOfList() {
  std::vector<ChecksumRow> rows;
  const std::int32_t count = CountListRows(kFileListGadget);
  rows.reserve(static_cast<std::size_t>(count));
  for (std::int32_t index = 0; index < count; ++index) {
    ListRow row;
    if (!ReadListRow(kFileListGadget, index, &row)) continue;
    row.cells.resize(kHashColumn + 1);
    rows.push_back(ChecksumRow{(row.state & kRowTicked) != 0, row.cells[0], row.cells[kHashColumn]});
  }
  return rows;
}

void CopyTickedRows() {
  // Empties the clipboard even when no row qualifies: an empty text replaces what was there.
  SetClipboardText(ChecksumListText(ChecksumRowsOfList()));
}

void DeleteSelectedRow() {
  const std::int32_t selected = GetGadgetState(kFileListGadget);
  if (selected < 0) return;
  const auto id = static_cast<RowId>(GetListRowNumber(kFileListGadget, selected));
  RemoveRow(TheFileRows(), id);
  RemoveListRow(kFileListGadget, selected);
}

void ClearFileList() {
  ClearRows(TheFileRows());
  ClearList(kFileListGadget);
}

void ShowListPopupMenu() {
  std::int32_t x = 0, y = 0;
  MousePosition(&x, &y);
  ShowPopupMenu(kListPopupMenu, kMainWindow, x - 1, y - 1);
}

bool IsRowTicked(RowId id) {
  ListRow row;
  std::int32_t index = -1;
  return FindControlRow(id, &row, &index) && (row.state & kRowTicked) != 0;
}

void SetRowHash(RowId id, const std::wstring& digest) {
  ListRow row;
  std::int32_t index = -1;
  if (!FindControlRow(id, &row, &index)) return;
  if (index >= 0)
    SetListCellText(kFileListGadget, index, kHashColumn, digest);
  else
    SetListCellTextByNumber(kFileListGadget, static_cast<std::intptr_t>(id), kHashColumn, digest);
}
