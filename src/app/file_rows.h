// The rows of the main file list: the one place they live. The list control
// draws from them, the user's ticks change them, and the calculation worker
// reads them and writes its digests into them.
//
// Rows are only ever appended, so row ids grow in list order and the row
// after a given one is simply the first with a larger id. The worker walks by
// id, never by index: deleting rows above it can neither skip a row nor hash
// one twice, and a digest is addressed to the row of the file that was read.
#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "formats/checksum_list.h"

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
  std::wstring hash;  // the digest text, "" until hashed
};

// The list's columns, as the control shows them.
inline constexpr std::int32_t kFileColumn = 0;
inline constexpr std::int32_t kSizeColumn = 1;
inline constexpr std::int32_t kHashColumn = 2;

// Guarded by its own lock: any thread may call the operations below.
// A deque: a vector doubling past half a million rows would move them all
// at once on the window thread, for a tenth of a second or more.
using FileRowStore = std::deque<FileRow>;

struct FileRows {
  mutable std::mutex mutex;
  FileRowStore rows;  // list order, ids ascending
  RowId last_id = kNoRow;
};

RowId AppendRow(FileRows& rows, FileEntry entry, bool ticked);
// Appends one row per entry, in order, all ticked or all not.
void AppendRows(FileRows& rows, std::vector<FileEntry> entries, bool ticked);
// Removes the row and releases its entry; false when there is no such row.
bool RemoveRow(FileRows& rows, RowId id);
void ClearRows(FileRows& rows);
std::size_t RowCount(const FileRows& rows);
// The position of the row in the list, or -1 when it is gone.
std::int64_t RowIndex(const FileRows& rows, RowId id);
// The row at `index` copied out, or false past the end.
bool RowAt(const FileRows& rows, std::size_t index, FileRow* row);
// Copies out the first row after `after` (kNoRow: from the top), with its
// tick as it is now. The copy stays valid whatever other threads do meanwhile.
bool NextRow(const FileRows& rows, RowId after, FileRow* row);

// By position, as the list control asks; past the end: "" and false.
std::wstring RowCell(const FileRows& rows, std::size_t index, std::int32_t column);
bool IsRowTicked(const FileRows& rows, std::size_t index);
void SetRowTicked(FileRows& rows, std::size_t index, bool ticked);

// Writes the digest into the row with id `id`, wherever it stands now.
// False when the row is gone.
bool SetRowHash(FileRows& rows, RowId id, const std::wstring& digest);

// The list lines of every row as it stands now (ChecksumListText's), for
// Save MD5: made in one pass, without a copy of each row.
std::wstring ChecksumListTextOf(const FileRows& rows);
// The id of the last row; kNoRow when there is none.
RowId LastRowId(const FileRows& rows);
// Up to `most` rows after `after` and up to `last` (ids), appended to `out` as
// they stand now; the id of the last one taken, or kNoRow when none was left.
// A long list is read a slice at a time, never holding the rows for long.
RowId AppendChecksumRows(const FileRows& rows, RowId after, RowId last, std::size_t most,
                         std::vector<ChecksumRow>* out);
