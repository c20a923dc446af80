// The main window's file list: adding files, Copy, Delete, Clear list and the pop-up menu.
// The commands are wired into the event loop; their work is still to be written.
#include "app/file_list.h"

void AddFilesByRequester() {}

void AddDroppedPaths(const std::wstring& /*paths*/) {}

void CopyTickedRows() {}

void DeleteSelectedRow() {}

void ClearFileList() {}

void ShowListPopupMenu() {}
