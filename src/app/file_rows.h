// The rows of the main file list as the calculation worker sees them. The
// list control shows them; this record is what both threads agree on.
//
// Rows are only ever appended, so row ids grow in list order and the row
// after a given one is simply the first with a larger id. The worker walks by
// id, never by index: deleting rows above it can neither skip a row nor hash
// one twice, and a digest is addressed to the row of the file that was read.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

struct FileEntry {
  std::wstring path;
  std::int64_t size = -1;  // recorded when the row was added; -1 when nothing was found
};

using RowId = std::uint64_t;
inline constexpr RowId kNoRow = 0;

struct FileRow {
  RowId id = kNoRow;
  bool ticked = false;
  FileEntry entry;
};

// Guarded by its own lock; the window thread changes it, the worker reads it.
struct FileRows {
  mutable std::mutex mutex;
  std::vector<FileRow> rows;  // list order, ids ascending
  RowId last_id = kNoRow;
};

RowId AppendRow(FileRows& rows, FileEntry entry, bool ticked);
// The id the next AppendRow will give, so that the list control can show the
// row under that id before the worker can find it here. Only meaningful on
// the one thread that appends.
RowId NextRowId(const FileRows& rows);
// Removes the row and releases its entry; false when there is no such row.
bool RemoveRow(FileRows& rows, RowId id);
void ClearRows(FileRows& rows);
void SetRowTicked(FileRows& rows, RowId id, bool ticked);
std::size_t RowCount(const FileRows& rows);
// The position of the row in the list, or -1 when it is gone.
std::int64_t RowIndex(const FileRows& rows, RowId id);
// The row at `index` copied out, or false past the end.
bool RowAt(const FileRows& rows, std::size_t index, FileRow* row);
// Copies out the first row after `after` (kNoRow: from the top). The copy
// stays valid whatever the window thread does meanwhile.
bool NextRow(const FileRows& rows, RowId after, FileRow* row);
