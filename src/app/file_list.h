// The main window's file list: adding files, Copy, Delete, Clear list and the pop-up menu.
#pragma once

#include <string>

// Menu event 0: the Add File requester, then one row per chosen file.
void AddFilesByRequester();
// Drop event of window 0: each LF-separated path as a row, folders walked.
void AddDroppedPaths(const std::wstring& paths);
// Menu event 6: the ticked, hashed rows to the clipboard.
void CopyTickedRows();
// Menu event 7: removes the selected row and its entry.
void DeleteSelectedRow();
// Menu event 8: removes every row and entry.
void ClearFileList();
// Right click on the list: pop-up menu 1 at the mouse pointer.
void ShowListPopupMenu();
