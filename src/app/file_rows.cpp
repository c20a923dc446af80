#include "app/file_rows.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "app/size_text.h"
#include "engine/md5_digest.h"
#include "os/hex_digits.h"
#include "os/path_text.h"

namespace {

FileRowStore::Rows::const_iterator FirstAfter(const FileRowStore::Rows& rows, RowId id) {
  return std::upper_bound(rows.begin(), rows.end(), id, [](RowId key, const FileRow& row) { return key < row.id; });
}

template <typename Rows>
auto Find(Rows& rows, RowId id) -> decltype(rows.begin()) {
  auto at = std::lower_bound(rows.begin(), rows.end(), id, [](const FileRow& row, RowId key) { return row.id < key; });
  return (at != rows.end() && at->id == id) ? at : rows.end();
}

// `text` copied into the store's blocks, which keep it for as long as the store lives.
std::wstring_view CopyIntoBlocks(FileRowStore& store, std::wstring_view text) {
  auto* kept = static_cast<wchar_t*>(os::ArenaTake(store.memory, text.size() * sizeof(wchar_t), alignof(wchar_t)));
  std::copy(text.begin(), text.end(), kept);
  return std::wstring_view(kept, text.size());
}

std::uint32_t FolderOf(FileRowStore& store, std::wstring_view folder) {
  // Rows mostly come folder by folder: the last folder is asked first.
  if (!store.folders.empty() && store.folders.back() == folder) return static_cast<std::uint32_t>(store.folders.size() - 1);
  const auto known = store.folder_index.find(folder);
  if (known != store.folder_index.end()) return known->second;
  const std::wstring_view kept = CopyIntoBlocks(store, folder);
  const auto index = static_cast<std::uint32_t>(store.folders.size());
  store.folders.push_back(kept);
  store.folder_index.emplace(kept, index);
  return index;
}

void PackRow(FileRowStore& store, RowId id, const FileEntry& entry, bool ticked) {
  const std::wstring_view path = entry.path;
  std::wstring_view name = os::FileNamePartView(entry.path);
  // A name no file system allows: the whole path counts as its folder.
  if (name.size() > std::numeric_limits<std::uint16_t>::max()) name = std::wstring_view();
  FileRow row;
  row.id = id;
  row.size = entry.size;
  row.ticked = ticked;
  row.folder = FolderOf(store, path.substr(0, path.size() - name.size()));
  row.name = CopyIntoBlocks(store, name).data();
  row.name_length = static_cast<std::uint16_t>(name.size());
  store.rows.push_back(row);
}

std::wstring_view FolderText(const FileRowStore& store, const FileRow& row) { return store.folders[row.folder]; }

// The File column: the name after the last separator.
std::wstring_view NameText(const FileRowStore& store, const FileRow& row) {
  if (row.name_length > 0) return std::wstring_view(row.name, row.name_length);
  return os::FileNamePartView(FolderText(store, row));
}

std::wstring PathText(const FileRowStore& store, const FileRow& row) {
  std::wstring path(FolderText(store, row));
  path.append(row.name, row.name_length);
  return path;
}

FileRowCopy CopiedOut(const FileRowStore& store, const FileRow& row) {
  return FileRowCopy{row.id, row.ticked, FileEntry{PathText(store, row), row.size},
                     row.hashed ? DigestTextOf(row.digest) : std::wstring()};
}

}  // namespace

RowId AppendRow(FileRows& rows, FileEntry entry, bool ticked) {
  std::lock_guard<std::mutex> lock(rows.mutex);
  const RowId id = rows.last_id + 1;
  PackRow(*rows.store, id, entry, ticked);
  return rows.last_id = id;
}

void AppendRows(FileRows& rows, std::vector<FileEntry> entries, bool ticked) {
  std::lock_guard<std::mutex> lock(rows.mutex);
  for (const FileEntry& entry : entries) {
    PackRow(*rows.store, rows.last_id + 1, entry, ticked);
    ++rows.last_id;
  }
}

bool RemoveRow(FileRows& rows, RowId id) {
  std::lock_guard<std::mutex> lock(rows.mutex);
  auto at = Find(rows.store->rows, id);
  if (at == rows.store->rows.end()) return false;
  rows.store->rows.erase(at);
  return true;
}

void ClearRows(FileRows& rows) {
  auto fresh = std::make_shared<FileRowStore>();
  std::lock_guard<std::mutex> lock(rows.mutex);
  // The rows' blocks go back to the system as the store goes: a few hundred
  // calls for a million rows, nothing freed one by one.
  rows.store.swap(fresh);
}

std::size_t RowCount(const FileRows& rows) {
  std::lock_guard<std::mutex> lock(rows.mutex);
  return rows.store->rows.size();
}

std::int64_t RowIndex(const FileRows& rows, RowId id) {
  std::lock_guard<std::mutex> lock(rows.mutex);
  auto at = Find(rows.store->rows, id);
  return at == rows.store->rows.end() ? -1 : static_cast<std::int64_t>(at - rows.store->rows.begin());
}

bool RowAt(const FileRows& rows, std::size_t index, FileRowCopy* row) {
  std::lock_guard<std::mutex> lock(rows.mutex);
  if (index >= rows.store->rows.size()) return false;
  *row = CopiedOut(*rows.store, rows.store->rows[index]);
  return true;
}

bool NextRow(const FileRows& rows, RowId after, FileRowCopy* row) {
  std::lock_guard<std::mutex> lock(rows.mutex);
  auto at = FirstAfter(rows.store->rows, after);
  if (at == rows.store->rows.end()) return false;
  *row = CopiedOut(*rows.store, *at);
  return true;
}

std::int64_t TickedBytesAfter(const FileRows& rows, RowId after) {
  std::lock_guard<std::mutex> lock(rows.mutex);
  std::int64_t bytes = 0;
  for (auto at = FirstAfter(rows.store->rows, after); at != rows.store->rows.end(); ++at)
    if (at->ticked && at->size > 0) bytes += at->size;
  return bytes;
}

std::wstring RowCell(const FileRows& rows, std::size_t index, std::int32_t column) {
  std::lock_guard<std::mutex> lock(rows.mutex);
  if (index >= rows.store->rows.size()) return std::wstring();
  const FileRow& row = rows.store->rows[index];
  switch (column) {
    case kFileColumn:
      return std::wstring(NameText(*rows.store, row));
    case kSizeColumn:
      return SizeText(row.size);
    case kHashColumn:
      return row.hashed ? DigestTextOf(row.digest) : std::wstring();
    default:
      return std::wstring();
  }
}

bool IsRowTicked(const FileRows& rows, std::size_t index) {
  std::lock_guard<std::mutex> lock(rows.mutex);
  return index < rows.store->rows.size() && rows.store->rows[index].ticked;
}

void SetRowTicked(FileRows& rows, std::size_t index, bool ticked) {
  std::lock_guard<std::mutex> lock(rows.mutex);
  if (index < rows.store->rows.size()) rows.store->rows[index].ticked = ticked;
}

bool SetRowHash(FileRows& rows, RowId id, const std::wstring& digest) {
  std::uint8_t bytes[16] = {};
  const bool digested = os::HexDigitsToBytes(digest, bytes, 16);
  std::lock_guard<std::mutex> lock(rows.mutex);
  auto at = Find(rows.store->rows, id);
  if (at == rows.store->rows.end()) return false;
  at->hashed = digested;
  std::memcpy(at->digest, bytes, sizeof bytes);
  return true;
}

std::shared_ptr<ListSnapshot> TakeListSnapshot(const FileRows& rows) {
  try {
    auto snapshot = std::make_shared<ListSnapshot>();
    std::lock_guard<std::mutex> lock(rows.mutex);
    snapshot->store = rows.store;
    std::size_t count = 0;
    for (const FileRow& row : rows.store->rows) count += InChecksumList(row.ticked, row.hashed);
    snapshot->lines.reserve(count);
    for (const FileRow& row : rows.store->rows) {
      if (!InChecksumList(row.ticked, row.hashed)) continue;
      snapshot->lines.push_back(SnapshotLine{NameText(*rows.store, row), {}});
      std::memcpy(snapshot->lines.back().digest, row.digest, sizeof row.digest);
    }
    return snapshot;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

void OwnSnapshotNames(ListSnapshot& snapshot) {
  if (!snapshot.store) return;
  std::size_t chars = 0;
  for (const SnapshotLine& line : snapshot.lines) chars += line.name.size();
  try {
    snapshot.names.reserve(chars);  // never grows after: the views below stay valid
  } catch (const std::bad_alloc&) {
    return;
  }
  for (SnapshotLine& line : snapshot.lines) {
    const std::size_t at = snapshot.names.size();
    snapshot.names.append(line.name);
    line.name = std::wstring_view(snapshot.names).substr(at, line.name.size());
  }
  snapshot.store.reset();
}

bool AppendSnapshotLines(const ListSnapshot& snapshot, std::size_t* next, std::size_t chars, std::wstring* text) {
  if (*next >= snapshot.lines.size()) return false;
  const std::size_t start = text->size();
  for (; *next < snapshot.lines.size() && text->size() - start < chars; ++*next)
    AppendChecksumLine(text, snapshot.lines[*next].name, DigestTextOf(snapshot.lines[*next].digest));
  return true;
}

std::wstring SnapshotText(const ListSnapshot& snapshot) {
  std::wstring text;
  std::size_t length = 0;
  for (const SnapshotLine& line : snapshot.lines) length += line.name.size() + 36;
  text.reserve(length);
  std::size_t next = 0;
  AppendSnapshotLines(snapshot, &next, std::numeric_limits<std::size_t>::max(), &text);
  return text;
}

std::size_t RowBytes(const FileRows& rows) {
  std::lock_guard<std::mutex> lock(rows.mutex);
  return os::ArenaBytes(rows.store->memory);
}
