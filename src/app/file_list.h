// The main window's file list: adding files, Copy, Delete, Clear list and the
// pop-up menu. The rows live in FileRows alone; the list control (gadget 0)
// draws from them through a model and keeps only the selection.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/file_rows.h"
#include "ui/list_model.h"

// The program's rows; the calculation worker reads them and writes digests into them.
FileRows& TheFileRows();
// What the list control draws: TheFileRows() by position.
ListModel FileListModel();

// Files are added on a worker: the window keeps serving while a large tree or
// a slow share is walked, and the rows arrive in the order of the adds.

// Menu event 0: the Add File requester, then one row per chosen file.
void AddFilesByRequester(bool ticked);
// Drop event of window 0: each path as a row, folders walked.
void AddDroppedPaths(const std::vector<std::wstring>& paths, bool ticked);
// Whether adds are still under way (since the last Clear list).
bool FilesBeingAdded();
// Ends every add under way: nothing more of them is appended.
void EndFileAdds();
// Menu event 6: the ticked, hashed rows to the clipboard.
void CopyTickedRows();
// Whether a Copy's text is still being made or handed to the clipboard.
bool CopiesUnderWay();
// Menu event 7: removes the selected row and its entry.
void DeleteSelectedRow();
// Menu event 8: removes every row and entry.
void ClearFileList();
// Right click on the list: pop-up menu 1 at the mouse pointer.
void ShowListPopupMenu();

// Window thread: draws the row with id `id` again, wherever it stands now.
void RedrawFileRow(RowId id);
