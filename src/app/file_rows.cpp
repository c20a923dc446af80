#include "app/file_rows.h"

#include <algorithm>
#include <memory>

#include "app/size_text.h"
#include "os/path_text.h"
#include "os/thread.h"

namespace {

FileRowStore::const_iterator FirstAfter(const FileRowStore& rows, RowId id) {
  return std::upper_bound(rows.begin(), rows.end(), id, [](RowId key, const FileRow& row) { return key < row.id; });
}

template <typename Rows>
auto Find(Rows& rows, RowId id) -> decltype(rows.begin()) {
  auto at = std::lower_bound(rows.begin(), rows.end(), id, [](const FileRow& row, RowId key) { return row.id < key; });
  return (at != rows.end() && at->id == id) ? at : rows.end();
}

}  // namespace

RowId AppendRow(FileRows& rows, FileEntry entry, bool ticked) {
  std::lock_guard<std::mutex> lock(rows.mutex);
  const RowId id = ++rows.last_id;
  rows.rows.push_back(FileRow{id, ticked, std::move(entry), {}});
  return id;
}

void AppendRows(FileRows& rows, std::vector<FileEntry> entries, bool ticked) {
  std::lock_guard<std::mutex> lock(rows.mutex);
  for (FileEntry& entry : entries) rows.rows.push_back(FileRow{++rows.last_id, ticked, std::move(entry), {}});
}

bool RemoveRow(FileRows& rows, RowId id) {
  std::lock_guard<std::mutex> lock(rows.mutex);
  auto at = Find(rows.rows, id);
  if (at == rows.rows.end()) return false;
  rows.rows.erase(at);
  return true;
}

void ClearRows(FileRows& rows) {
  auto gone = std::make_shared<FileRowStore>();
  {
    std::lock_guard<std::mutex> lock(rows.mutex);
    gone->swap(rows.rows);
  }
  // Releasing a million rows takes a tenth of a second: not on the caller's
  // thread, when another can be had.
  if (gone->size() > 10000) os::StartThread([gone] { gone->clear(); }, false);
}

std::size_t RowCount(const FileRows& rows) {
  std::lock_guard<std::mutex> lock(rows.mutex);
  return rows.rows.size();
}

std::int64_t RowIndex(const FileRows& rows, RowId id) {
  std::lock_guard<std::mutex> lock(rows.mutex);
  auto at = Find(rows.rows, id);
  return at == rows.rows.end() ? -1 : static_cast<std::int64_t>(at - rows.rows.begin());
}

bool RowAt(const FileRows& rows, std::size_t index, FileRow* row) {
  std::lock_guard<std::mutex> lock(rows.mutex);
  if (index >= rows.rows.size()) return false;
  *row = rows.rows[index];
  return true;
}

bool NextRow(const FileRows& rows, RowId after, FileRow* row) {
  std::lock_guard<std::mutex> lock(rows.mutex);
  auto at = FirstAfter(rows.rows, after);
  if (at == rows.rows.end()) return false;
  *row = *at;
  return true;
}

std::wstring RowCell(const FileRows& rows, std::size_t index, std::int32_t column) {
  std::lock_guard<std::mutex> lock(rows.mutex);
  if (index >= rows.rows.size()) return std::wstring();
  const FileRow& row = rows.rows[index];
  switch (column) {
    case kFileColumn:
      return os::FileNamePart(row.entry.path);
    case kSizeColumn:
      return SizeText(row.entry.size);
    case kHashColumn:
      return row.hash;
    default:
      return std::wstring();
  }
}

bool IsRowTicked(const FileRows& rows, std::size_t index) {
  std::lock_guard<std::mutex> lock(rows.mutex);
  return index < rows.rows.size() && rows.rows[index].ticked;
}

void SetRowTicked(FileRows& rows, std::size_t index, bool ticked) {
  std::lock_guard<std::mutex> lock(rows.mutex);
  if (index < rows.rows.size()) rows.rows[index].ticked = ticked;
}

bool SetRowHash(FileRows& rows, RowId id, const std::wstring& digest) {
  std::lock_guard<std::mutex> lock(rows.mutex);
  auto at = Find(rows.rows, id);
  if (at == rows.rows.end()) return false;
  at->hash = digest;
  return true;
}

RowId LastRowId(const FileRows& rows) {
  std::lock_guard<std::mutex> lock(rows.mutex);
  return rows.rows.empty() ? kNoRow : rows.rows.back().id;
}

RowId AppendChecksumRows(const FileRows& rows, RowId after, RowId last, std::size_t most,
                         std::vector<ChecksumRow>* out) {
  std::lock_guard<std::mutex> lock(rows.mutex);
  RowId taken = kNoRow;
  for (auto at = FirstAfter(rows.rows, after); at != rows.rows.end() && at->id <= last && most > 0; ++at, --most) {
    out->push_back(ChecksumRow{at->ticked, os::FileNamePart(at->entry.path), at->hash});
    taken = at->id;
  }
  return taken;
}

std::wstring ChecksumListTextOf(const FileRows& rows) {
  std::lock_guard<std::mutex> lock(rows.mutex);
  std::wstring text;
  for (const FileRow& row : rows.rows) {
    if (row.ticked && !row.hash.empty()) AppendChecksumLine(&text, os::FileNamePartView(row.entry.path), row.hash);
  }
  return text;
}
