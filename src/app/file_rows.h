// The rows of the main file list: the one place they live. The list control
// draws from them, the user's ticks change them, and the calculation worker
// reads them and writes its digests into them.
//
// A FileEntry is a file as an add found it; a FileRow is how it is kept in
// the FileRows' store; a FileRowCopy is one row copied out whole, for the
// worker and the commands; a ListSnapshot is what a save or Copy takes of
// the rows, a SnapshotLine for each line of the list.
//
// Rows are only ever appended, so row ids grow in list order and the row
// after a given one is simply the first with a larger id. The worker walks by
// id, never by index: deleting rows above it can neither skip a row nor hash
// one twice, and a digest is addressed to the row of the file that was read.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "formats/checksum_list.h"
#include "os/page_arena.h"

struct FileEntry {
  std::wstring path;
  std::int64_t size = -1;  // recorded when the row was added; -1 when nothing was found
};

using RowId = std::uint64_t;
inline constexpr RowId kNoRow = 0;

// One row copied out, whole.
struct FileRowCopy {
  RowId id = kNoRow;
  bool ticked = false;
  FileEntry entry;
  std::wstring hash;  // the digest text, "" until hashed
};

// The list's columns, as the control shows them.
inline constexpr std::int32_t kFileColumn = 0;
inline constexpr std::int32_t kSizeColumn = 1;
inline constexpr std::int32_t kHashColumn = 2;

// How a row is kept: a million of them must fit in little memory. Its path
// is its folder, kept once for all the folder's rows, and its name; the
// digest is its 16 bytes, made text only when shown, copied or saved.
struct FileRow {
  RowId id = kNoRow;
  std::int64_t size = -1;
  const wchar_t* name = nullptr;  // in the store's blocks: the path after its folder
  std::uint32_t folder = 0;       // the store's folders[folder] is the path before it
  std::uint16_t name_length = 0;
  bool ticked = false;
  bool hashed = false;
  std::uint8_t digest[16] = {};
};
static_assert(sizeof(void*) != 8 || sizeof(FileRow) == 48, "a million rows must stay 48 MB beside their names");

// Every byte of the rows in blocks of its own, which go back to the system
// whole when the rows are cleared. Never changed but under FileRows' lock.
// A row removed or ticked changes only the `rows` deque: the folders' and
// names' texts in the blocks are never moved or written again, so a text
// seen in them stays as it is for as long as the store lives.
struct FileRowStore {
  template <typename T>
  using Allocator = os::ArenaAllocator<T>;
  using FolderIndex = std::unordered_map<std::wstring_view, std::uint32_t, std::hash<std::wstring_view>,
                                         std::equal_to<std::wstring_view>,
                                         Allocator<std::pair<const std::wstring_view, std::uint32_t>>>;

  // A deque: a vector doubling past half a million rows would move them all
  // at once on the window thread.
  using Rows = std::deque<FileRow, Allocator<FileRow>>;

  FileRowStore()
      : folders(Allocator<std::wstring_view>(&memory)),
        folder_index(0, FolderIndex::hasher(), FolderIndex::key_equal(), FolderIndex::allocator_type(&memory)),
        rows(Allocator<FileRow>(&memory)) {}
  FileRowStore(const FileRowStore&) = delete;
  FileRowStore& operator=(const FileRowStore&) = delete;

  os::PageArena memory;  // first: given back last
  std::vector<std::wstring_view, Allocator<std::wstring_view>> folders;
  FolderIndex folder_index;
  Rows rows;  // list order, ids ascending
};

// Guarded by its own lock: any thread may call the operations below.
struct FileRows {
  mutable std::mutex mutex;
  std::shared_ptr<FileRowStore> store = std::make_shared<FileRowStore>();  // shared with snapshots
  RowId last_id = kNoRow;
};

RowId AppendRow(FileRows& rows, FileEntry entry, bool ticked);
// Appends one row per entry, in order, all ticked or all not.
void AppendRows(FileRows& rows, std::vector<FileEntry> entries, bool ticked);
// Removes the row; false when there is no such row. Its texts stay in the
// store's blocks until the rows are cleared.
bool RemoveRow(FileRows& rows, RowId id);
// Every row goes, and their memory goes back to the system at once.
void ClearRows(FileRows& rows);
std::size_t RowCount(const FileRows& rows);
// The position of the row in the list, or -1 when it is gone.
std::int64_t RowIndex(const FileRows& rows, RowId id);
// The row at `index` copied out, or false past the end.
bool RowAt(const FileRows& rows, std::size_t index, FileRowCopy* row);
// Copies out the first row after `after` (kNoRow: from the top), with its
// tick as it is now. The copy stays valid whatever other threads do meanwhile.
bool NextRow(const FileRows& rows, RowId after, FileRowCopy* row);

// The positive sizes of the ticked rows after `after` added up, as recorded:
// what the calculation run still has to read of them.
std::int64_t TickedBytesAfter(const FileRows& rows, RowId after);

// By position, as the list control asks; past the end: "" and false.
std::wstring RowCell(const FileRows& rows, std::size_t index, std::int32_t column);
bool IsRowTicked(const FileRows& rows, std::size_t index);
void SetRowTicked(FileRows& rows, std::size_t index, bool ticked);

// Writes the digest (its text, as the digest job gives it) into the row with
// id `id`, wherever it stands now. False when the row is gone.
bool SetRowHash(FileRows& rows, RowId id, const std::wstring& digest);

// What a save or Copy takes: the lines of the ticked, hashed rows, as they
// stand when taken. It is taken on the window thread as views into the rows'
// store, which the snapshot keeps meanwhile: the lines are counted, then each
// name's view and digest copied, no text made. It is made text on another
// thread. A save first makes the names its own
// (OwnSnapshotNames), on a thread of its own at once, so that Clear list
// gives the store back within moments even while the save waits behind
// another.
struct SnapshotLine {
  std::wstring_view name;  // the File column: in the store's blocks, or in `names` once owned
  std::uint8_t digest[16];
};
static_assert(sizeof(void*) != 8 || sizeof(SnapshotLine) == 32, "a million lines must stay 32 MB beside their names");
struct ListSnapshot {
  std::shared_ptr<const FileRowStore> store;  // null once the names are the snapshot's own
  std::wstring names;
  std::vector<SnapshotLine> lines;
};
// Null when memory runs out.
std::shared_ptr<ListSnapshot> TakeListSnapshot(const FileRows& rows);
// Copies the names out of the store into the snapshot and lets the store go;
// the snapshot keeps the store when memory runs out for the copy. One thread
// at a time.
void OwnSnapshotNames(ListSnapshot& snapshot);
// Its lines, for Copy.
std::wstring SnapshotText(const ListSnapshot& snapshot);
// Its lines from line `*next` on, until about `chars` characters are added to
// `text`, for a save written a piece at a time; false when none were left.
bool AppendSnapshotLines(const ListSnapshot& snapshot, std::size_t* next, std::size_t chars, std::wstring* text);
// Bytes the rows hold in their blocks.
std::size_t RowBytes(const FileRows& rows);
