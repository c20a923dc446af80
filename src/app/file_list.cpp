#include "app/file_list.h"

#include "app/folder_walk.h"
#include "app/main_window.h"
#include "os/path_size.h"
#include "ui/clipboard.h"
#include "ui/events.h"
#include "ui/gadget.h"
#include "ui/list.h"
#include "ui/menu.h"
#include "ui/requester.h"

namespace {

// Bulk adds (a requester's files, a dropped tree) append to the rows and tell
// the control the new count once at the end: under load each count change
// costs a redraw of the list. Nested bulks (a drop that walks folders) tell
// it when the outermost ends.
int g_bulk_depth = 0;

void BeginBulk() { ++g_bulk_depth; }

void EndBulk() {
  if (--g_bulk_depth == 0) ShowListRowCount(kFileListGadget);
}

// Appends one row: name, size text, empty Hash, ticked when `ticked`.
void AddFileRow(const std::wstring& path, std::int64_t size, bool ticked) {
  AppendRow(TheFileRows(), FileEntry{path, size}, ticked);
  if (g_bulk_depth == 0) ShowListRowCount(kFileListGadget);
}

// One row for every file below `folder`, depth first; links to folders are not followed.
void AddFolderTree(const std::wstring& folder, bool ticked) {
  BeginBulk();
  WalkFolderTree(folder, [ticked](const std::wstring& path, std::int64_t size) { AddFileRow(path, size, ticked); });
  EndBulk();
}

}  // namespace

FileRows& TheFileRows() {
  static FileRows rows;
  return rows;
}

ListModel FileListModel() {
  ListModel model;
  model.count = [] { return static_cast<std::int32_t>(RowCount(TheFileRows())); };
  model.cell = [](std::int32_t row, std::int32_t column) {
    return RowCell(TheFileRows(), static_cast<std::size_t>(row), column);
  };
  model.ticked = [](std::int32_t row) { return IsRowTicked(TheFileRows(), static_cast<std::size_t>(row)); };
  model.set_ticked = [](std::int32_t row, bool ticked) {
    SetRowTicked(TheFileRows(), static_cast<std::size_t>(row), ticked);
  };
  return model;
}

void AddFilesByRequester(bool ticked) {
  std::wstring path = OpenFileRequester(L"Open", L"", L"All Files| *", true);
  BeginBulk();
  for (; !path.empty(); path = NextSelectedFile()) AddFileRow(path, os::PathSize(path), ticked);
  EndBulk();
}

void AddDroppedPaths(const std::vector<std::wstring>& paths, bool ticked) {
  BeginBulk();
  for (const std::wstring& path : paths) {
    // A drop never carries an empty path; an empty one is no file.
    if (path.empty()) continue;
    const std::int64_t size = os::PathSize(path);
    if (size == os::kPathIsFolder)
      AddFolderTree(path, ticked);
    else
      AddFileRow(path, size, ticked);
  }
  EndBulk();
}

void CopyTickedRows() {
  // Empties the clipboard even when no row qualifies: an empty text replaces what was there.
  SetClipboardText(ChecksumListText(ChecksumRowsOf(TheFileRows())));
}

void DeleteSelectedRow() {
  const std::int32_t selected = GetGadgetState(kFileListGadget);
  FileRow row;
  if (selected < 0 || !RowAt(TheFileRows(), static_cast<std::size_t>(selected), &row)) return;
  RemoveRow(TheFileRows(), row.id);
  RemoveListRow(kFileListGadget, selected);
}

void ClearFileList() {
  ClearRows(TheFileRows());
  ClearList(kFileListGadget);
}

void ShowListPopupMenu() {
  // Opened by the keyboard, the event says where; by the mouse, at the pointer.
  const Event& event = TakenEvent();
  if (event.placed) {
    ShowPopupMenu(kListPopupMenu, kMainWindow, event.x, event.y);
    return;
  }
  std::int32_t x = 0, y = 0;
  MousePosition(&x, &y);
  ShowPopupMenu(kListPopupMenu, kMainWindow, x - 1, y - 1);
}

void RedrawFileRow(RowId id) {
  const std::int64_t index = RowIndex(TheFileRows(), id);
  if (index >= 0) RedrawListRow(kFileListGadget, static_cast<std::int32_t>(index));
}
