#include "windows/verifier_rows.h"

#include <algorithm>
#include <new>

#include "os/decimal_text.h"

namespace {

std::int32_t& ValidAt(const VerifierRows& rows, std::size_t row) {
  return rows.valid[row / kPackedRowsPerChunk][row % kPackedRowsPerChunk];
}

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
  const std::size_t chunks = (count + kPackedRowsPerChunk - 1) / kPackedRowsPerChunk;
  rows.rows.chunks.reserve(chunks);
  rows.valid.reserve(chunks);
}

void AppendVerifierEntries(VerifierRows& rows, const std::vector<ChecksumEntry>& entries) {
  std::lock_guard<std::mutex> lock(rows.mutex);
  for (const ChecksumEntry& entry : entries) {
    const std::size_t row = rows.rows.count;
    if (row == 0) rows.folder.assign(entry.path, 0, std::min(entry.name_at, entry.path.size()));
    if (row % kPackedRowsPerChunk == 0 && row / kPackedRowsPerChunk == rows.valid.size()) {
      rows.valid.reserve(rows.valid.size() + 1);
      void* codes = os::ArenaTake(rows.rows.arena, kPackedRowsPerChunk * sizeof(std::int32_t));
      auto* chunk = static_cast<std::int32_t*>(codes);
      for (std::size_t i = 0; i < kPackedRowsPerChunk; ++i) new (&chunk[i]) std::int32_t(kValidNone);
      rows.valid.push_back(chunk);
    }
    AppendChecksumRow(rows.rows, ChecksumEntryName(entry), entry.digest, entry.size);
  }
}

std::size_t VerifierRowCount(const VerifierRows& rows) {
  std::lock_guard<std::mutex> lock(rows.mutex);
  return rows.rows.count;
}

std::wstring VerifierCell(const VerifierRows& rows, std::size_t row, std::int32_t column) {
  std::lock_guard<std::mutex> lock(rows.mutex);
  if (row >= rows.rows.count) return std::wstring();
  switch (column) {
    case kVerifierFileColumn:
      return ChecksumRowName(rows.rows, row);
    case kVerifierHashColumn:
      return ChecksumRowDigest(rows.rows, row);
    case kVerifierValidColumn:
      return ValidText(ValidAt(rows, row));
    default:
      return std::wstring();
  }
}

bool VerifierCheckItem(const VerifierRows& rows, std::size_t row, std::wstring* path, std::int64_t* size,
                       std::wstring* digest) {
  std::lock_guard<std::mutex> lock(rows.mutex);
  if (row >= rows.rows.count) return false;
  *path = rows.folder;
  AppendChecksumRowName(rows.rows, row, path);
  *size = ChecksumRowAt(rows.rows, row).size;
  *digest = ChecksumRowDigest(rows.rows, row);
  return true;
}

std::int64_t VerifierBytes(const VerifierRows& rows) {
  std::lock_guard<std::mutex> lock(rows.mutex);
  std::int64_t bytes = 0;
  for (std::size_t row = 0; row < rows.rows.count; ++row) bytes += std::max<std::int64_t>(ChecksumRowAt(rows.rows, row).size, 0);
  return bytes;
}

void SetValidCode(VerifierRows& rows, std::size_t row, std::int32_t code) {
  std::lock_guard<std::mutex> lock(rows.mutex);
  if (row < rows.rows.count) ValidAt(rows, row) = code;
}

void ReleaseVerifierRows(VerifierRows& rows) {
  std::lock_guard<std::mutex> lock(rows.mutex);
  std::vector<std::int32_t*>().swap(rows.valid);
  std::wstring().swap(rows.folder);
  ReleaseChecksumRows(rows.rows);
}
