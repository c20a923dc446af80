#include "windows/verifier_rows.h"

#include <iterator>

void ReserveVerifierRows(VerifierRows& rows, std::size_t count) {
  std::lock_guard<std::mutex> lock(rows.mutex);
  rows.entries.reserve(count);
  rows.valid.reserve(count);
}

void AppendVerifierEntries(VerifierRows& rows, std::vector<ChecksumEntry> entries) {
  std::lock_guard<std::mutex> lock(rows.mutex);
  rows.valid.resize(rows.valid.size() + entries.size());
  rows.entries.insert(rows.entries.end(), std::make_move_iterator(entries.begin()),
                      std::make_move_iterator(entries.end()));
}

std::size_t VerifierRowCount(const VerifierRows& rows) {
  std::lock_guard<std::mutex> lock(rows.mutex);
  return rows.entries.size();
}

std::wstring VerifierCell(const VerifierRows& rows, std::size_t row, std::int32_t column) {
  std::lock_guard<std::mutex> lock(rows.mutex);
  if (row >= rows.entries.size()) return std::wstring();
  switch (column) {
    case kVerifierFileColumn:
      return std::wstring(ChecksumEntryName(rows.entries[row]));
    case kVerifierHashColumn:
      return rows.entries[row].digest;
    case kVerifierValidColumn:
      return rows.valid[row];
    default:
      return std::wstring();
  }
}

void SetValidText(VerifierRows& rows, std::size_t row, std::wstring text) {
  std::lock_guard<std::mutex> lock(rows.mutex);
  if (row < rows.valid.size()) rows.valid[row] = std::move(text);
}

void ReleaseVerifierRows(VerifierRows& rows) {
  std::vector<ChecksumEntry> entries;
  std::vector<std::wstring> valid;
  std::lock_guard<std::mutex> lock(rows.mutex);
  entries.swap(rows.entries);
  valid.swap(rows.valid);
}
