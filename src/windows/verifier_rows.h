// The rows of the MD5 file verifier: the one place they live. A verifier row
// is one entry of the list file, packed, and its Valid code. The list control
// draws from them, and the check writes each row's Valid code into them, then
// asks for the row to be drawn again. The texts are made only when a cell is
// drawn or a file checked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "formats/checksum_entry.h"
#include "formats/packed_lines.h"
#include "os/chunked_array.h"

// The list's columns, as the control shows them.
inline constexpr std::int32_t kVerifierFileColumn = 0;
inline constexpr std::int32_t kVerifierHashColumn = 1;
inline constexpr std::int32_t kVerifierValidColumn = 2;

// A row's Valid cell: none (""), a percent ("37%"), "OK" or "Invalid".
inline constexpr std::int32_t kValidNone = -1;
inline constexpr std::int32_t kValidOk = -2;
inline constexpr std::int32_t kValidInvalid = -3;
// A percent is its own code (0 and up, past 100 too when a file grew).

// Every field is guarded by `mutex`: any thread may call the operations
// below. The rows are appended by the window thread alone while the list file
// is read, and not changed once a check may start (the window allows none
// before the last row is in); the check worker writes the Valid codes.
struct VerifierRows {
  mutable std::mutex mutex;
  std::wstring folder;  // the list file's folder: each file's path is it followed by the name as written
  PackedLines lines;                     // one a row, its size as found when the list was read
  os::ChunkedArray<std::int32_t> valid;  // one a row, in `lines.arena`
};

// Room for `count` rows in all in the lists of chunks, made at once.
void ReserveVerifierRows(VerifierRows& rows, std::size_t count);
// Appends the list file's next entries as rows, each with no Valid code.
// Every entry of one list has the same folder. Throws std::bad_alloc when
// memory runs out, the rows so far kept.
void AppendVerifierEntries(VerifierRows& rows, const std::vector<ChecksumEntry>& entries);
std::size_t VerifierRowCount(const VerifierRows& rows);
// As the list control asks: the name and digest as written, the Valid text;
// "" past the end.
std::wstring VerifierCell(const VerifierRows& rows, std::size_t row, std::int32_t column);
// What the check reads of a row, the entry it was made from: false past the end.
bool VerifierEntry(const VerifierRows& rows, std::size_t row, ChecksumEntry* entry);
// Every row's recorded size that is positive, added up.
std::int64_t VerifierBytes(const VerifierRows& rows);
// Ignored past the end.
void SetValidCode(VerifierRows& rows, std::size_t row, std::int32_t code);
// Lets every row go, their memory back with the system at once (a few calls
// for a million rows).
void ReleaseVerifierRows(VerifierRows& rows);
