#include "windows/verifier_rows.h"

#include <algorithm>

#include "os/decimal_text.h"

namespace {

std::wstring ValidText(std::int32_t code) {
  switch (code) {
    case kValidNone:
      return std::wstring();
    case kValidOk:
      return L"OK";
    case kValidInvalid:
      return L"Invalid";
    default:
      return os::DecimalText(static_cast<std::uint64_t>(code)) + L"%";
  }
}

}  // namespace

void ReserveVerifierRows(VerifierRows& rows, std::size_t count) {
  std::lock_guard<std::mutex> lock(rows.mutex);
  os::ReserveItems(rows.lines.items, count);
  os::ReserveItems(rows.valid, count);
}

void AppendVerifierEntries(VerifierRows& rows, const std::vector<ChecksumEntry>& entries) {
  std::lock_guard<std::mutex> lock(rows.mutex);
  for (const ChecksumEntry& entry : entries) {
    if (rows.valid.count == 0) rows.folder.assign(entry.path, 0, std::min(entry.name_at, entry.path.size()));
    // A row's two halves come together or not at all.
    os::MakeRoomForItem(rows.valid, rows.lines.arena);
    AppendPackedEntry(rows.lines, entry);
    os::AppendItem(rows.valid, rows.lines.arena, kValidNone);
  }
}

std::size_t VerifierRowCount(const VerifierRows& rows) {
  std::lock_guard<std::mutex> lock(rows.mutex);
  return rows.valid.count;
}

std::wstring VerifierCell(const VerifierRows& rows, std::size_t row, std::int32_t column) {
  std::lock_guard<std::mutex> lock(rows.mutex);
  if (row >= rows.valid.count) return std::wstring();
  switch (column) {
    case kVerifierFileColumn:
      return PackedName(rows.lines, row);
    case kVerifierHashColumn:
      return PackedDigest(rows.lines, row);
    case kVerifierValidColumn:
      return ValidText(os::ItemAt(rows.valid, row));
    default:
      return std::wstring();
  }
}

bool VerifierEntry(const VerifierRows& rows, std::size_t row, ChecksumEntry* entry) {
  std::lock_guard<std::mutex> lock(rows.mutex);
  if (row >= rows.valid.count) return false;
  *entry = UnpackedEntry(rows.lines, row, rows.folder);
  return true;
}

std::int64_t VerifierBytes(const VerifierRows& rows) {
  std::lock_guard<std::mutex> lock(rows.mutex);
  std::int64_t bytes = 0;
  for (std::size_t row = 0; row < rows.valid.count; ++row)
    bytes += std::max<std::int64_t>(PackedLineAt(rows.lines, row).size, 0);
  return bytes;
}

void SetValidCode(VerifierRows& rows, std::size_t row, std::int32_t code) {
  std::lock_guard<std::mutex> lock(rows.mutex);
  if (row < rows.valid.count) os::ItemAt(rows.valid, row) = code;
}

void ReleaseVerifierRows(VerifierRows& rows) {
  std::lock_guard<std::mutex> lock(rows.mutex);
  os::ForgetItems(rows.valid);
  std::wstring().swap(rows.folder);
  ReleasePackedLines(rows.lines);
}
