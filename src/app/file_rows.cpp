#include "app/file_rows.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "app/size_text.h"
#include "engine/md5_digest.h"
#include "os/ascii_case.h"
#include "os/path_text.h"

namespace {

using StoredRows = std::deque<StoredRow, RowStore::Allocator<StoredRow>>;

StoredRows::const_iterator FirstAfter(const StoredRows& rows, RowId id) {
  return std::upper_bound(rows.begin(), rows.end(), id, [](RowId key, const StoredRow& row) { return key < row.id; });
}

template <typename Rows>
auto Find(Rows& rows, RowId id) -> decltype(rows.begin()) {
  auto at = std::lower_bound(rows.begin(), rows.end(), id, [](const StoredRow& row, RowId key) { return row.id < key; });
  return (at != rows.end() && at->id == id) ? at : rows.end();
}

// `text` copied into the store's blocks, which keep it for as long as the store lives.
std::wstring_view Keep(RowStore& store, std::wstring_view text) {
  auto* kept = static_cast<wchar_t*>(os::ArenaTake(store.memory, text.size() * sizeof(wchar_t), alignof(wchar_t)));
  std::copy(text.begin(), text.end(), kept);
  return std::wstring_view(kept, text.size());
}

std::uint32_t FolderOf(RowStore& store, std::wstring_view folder) {
  // Rows mostly come folder by folder: the last folder is asked first.
  if (!store.folders.empty() && store.folders.back() == folder) return static_cast<std::uint32_t>(store.folders.size() - 1);
  const auto known = store.folder_index.find(folder);
  if (known != store.folder_index.end()) return known->second;
  const std::wstring_view kept = Keep(store, folder);
  const auto index = static_cast<std::uint32_t>(store.folders.size());
  store.folders.push_back(kept);
  store.folder_index.emplace(kept, index);
  return index;
}

void Store(RowStore& store, RowId id, const FileEntry& entry, bool ticked) {
  const std::wstring_view path = entry.path;
  std::wstring_view name = os::FileNamePartView(entry.path);
  // A name no file system allows: the whole path counts as its folder.
  if (name.size() > std::numeric_limits<std::uint16_t>::max()) name = std::wstring_view();
  StoredRow row;
  row.id = id;
  row.size = entry.size;
  row.ticked = ticked;
  row.folder = FolderOf(store, path.substr(0, path.size() - name.size()));
  row.name = Keep(store, name).data();
  row.name_length = static_cast<std::uint16_t>(name.size());
  store.rows.push_back(row);
}

std::wstring_view FolderText(const RowStore& store, const StoredRow& row) { return store.folders[row.folder]; }

// The File column: the name after the last separator.
std::wstring_view NameText(const RowStore& store, const StoredRow& row) {
  if (row.name_length > 0) return std::wstring_view(row.name, row.name_length);
  const std::wstring_view folder = FolderText(store, row);
  std::size_t start = folder.size();
  while (start > 0 && !os::IsPathSeparator(folder[start - 1])) --start;
  return folder.substr(start);
}

std::wstring PathText(const RowStore& store, const StoredRow& row) {
  std::wstring path(FolderText(store, row));
  path.append(row.name, row.name_length);
  return path;
}

FileRow CopiedOut(const RowStore& store, const StoredRow& row) {
  return FileRow{row.id, row.ticked, FileEntry{PathText(store, row), row.size},
                 row.hashed ? DigestTextOf(row.digest) : std::wstring()};
}

// The digest job's text as its 16 bytes; false for any other text.
bool DigestBytes(const std::wstring& text, std::uint8_t digest[16]) {
  if (text.size() != 32) return false;
  for (std::size_t k = 0; k < 16; ++k) {
    const int high = os::HexDigitValue(text[2 * k]), low = os::HexDigitValue(text[2 * k + 1]);
    if (high < 0 || low < 0) return false;
    digest[k] = static_cast<std::uint8_t>(high << 4 | low);
  }
  return true;
}

}  // namespace

RowId AppendRow(FileRows& rows, FileEntry entry, bool ticked) {
  std::lock_guard<std::mutex> lock(rows.mutex);
  const RowId id = rows.last_id + 1;
  Store(*rows.store, id, entry, ticked);
  return rows.last_id = id;
}

void AppendRows(FileRows& rows, std::vector<FileEntry> entries, bool ticked) {
  std::lock_guard<std::mutex> lock(rows.mutex);
  for (const FileEntry& entry : entries) {
    Store(*rows.store, rows.last_id + 1, entry, ticked);
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
  auto fresh = std::make_shared<RowStore>();
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

bool RowAt(const FileRows& rows, std::size_t index, FileRow* row) {
  std::lock_guard<std::mutex> lock(rows.mutex);
  if (index >= rows.store->rows.size()) return false;
  *row = CopiedOut(*rows.store, rows.store->rows[index]);
  return true;
}

bool NextRow(const FileRows& rows, RowId after, FileRow* row) {
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
  const StoredRow& row = rows.store->rows[index];
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
  std::uint8_t bytes[16];
  const bool digested = DigestBytes(digest, bytes);
  std::lock_guard<std::mutex> lock(rows.mutex);
  auto at = Find(rows.store->rows, id);
  if (at == rows.store->rows.end()) return false;
  at->hashed = digested;
  std::memcpy(at->digest, bytes, sizeof bytes);
  return true;
}

ChecksumListRows TakeChecksumListRows(const FileRows& rows) {
  ChecksumListRows listed;
  std::lock_guard<std::mutex> lock(rows.mutex);
  listed.store = rows.store;
  std::size_t count = 0;
  for (const StoredRow& row : rows.store->rows) count += InChecksumList(row.ticked, row.hashed);
  listed.rows.reserve(count);
  for (const StoredRow& row : rows.store->rows) {
    if (!InChecksumList(row.ticked, row.hashed)) continue;
    listed.rows.push_back(ListedRow{NameText(*rows.store, row), {}});
    std::memcpy(listed.rows.back().digest, row.digest, sizeof row.digest);
  }
  return listed;
}

void OwnListedNames(ChecksumListRows& rows) {
  if (!rows.store) return;
  std::size_t chars = 0;
  for (const ListedRow& row : rows.rows) chars += row.name.size();
  try {
    rows.names.reserve(chars);  // never grows after: the views below stay valid
  } catch (const std::bad_alloc&) {
    return;
  }
  for (ListedRow& row : rows.rows) {
    const std::size_t at = rows.names.size();
    rows.names.append(row.name);
    row.name = std::wstring_view(rows.names).substr(at, row.name.size());
  }
  rows.store.reset();
}

bool AppendChecksumLines(const ChecksumListRows& rows, std::size_t* next, std::size_t chars, std::wstring* text) {
  if (*next >= rows.rows.size()) return false;
  const std::size_t start = text->size();
  for (; *next < rows.rows.size() && text->size() - start < chars; ++*next)
    AppendChecksumLine(text, rows.rows[*next].name, DigestTextOf(rows.rows[*next].digest));
  return true;
}

std::wstring ChecksumListTextOf(const ChecksumListRows& rows) {
  std::wstring text;
  std::size_t length = 0;
  for (const ListedRow& row : rows.rows) length += row.name.size() + 36;
  text.reserve(length);
  std::size_t next = 0;
  AppendChecksumLines(rows, &next, std::numeric_limits<std::size_t>::max(), &text);
  return text;
}

std::size_t RowBytes(const FileRows& rows) {
  std::lock_guard<std::mutex> lock(rows.mutex);
  return os::ArenaBytes(rows.store->memory);
}
