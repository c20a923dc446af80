// The main window's file list: adding files, Copy, Delete, Clear list and the pop-up menu.
//
// Every row lives twice, kept in step on the window thread: in the list
// control (gadget 0), which the user sees and ticks, and in the program's
// FileRows, which own the entries and give each row a RowId that is never
// reused. The control row carries its RowId as its attached number. A row is
// put into the control before FileRows and taken out of FileRows before the
// control, so a row the worker finds in FileRows is always in the control.
// The ticked state lives in the control alone (the user changes it there); the
// worker reads it through IsRowTicked when it reaches the row.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/file_rows.h"
#include "formats/checksum_list.h"

// The program's rows and entries; the calculation worker reads them.
FileRows& TheFileRows();

// Appends one row: name, size text, empty Hash, ticked when auto.check is on.
void AddFileRow(const std::wstring& path);
// The same with the size already known, as os::PathSize answers it.
void AddFileRow(const std::wstring& path, std::int64_t size);
// One row for every file below `folder`, depth first; links to folders are not followed.
void AddFolderTree(const std::wstring& folder);

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

// Every row as it stands now (ticked, File, Hash), for Copy and Save MD5.
// Window thread only.
std::vector<ChecksumRow> ChecksumRowsOfList();

// Whether the row with id `id` is ticked now in the control; false when it
// is gone. Safe from any thread: reads the services' copy, never waits.
bool IsRowTicked(RowId id);
// Writes the Hash cell of the row with id `id`, wherever it stands now;
// nothing when it is gone. Window thread only.
void SetRowHash(RowId id, const std::wstring& digest);
