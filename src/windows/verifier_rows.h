// The rows of the MD5 file verifier: the one place they live. The list
// control draws from them, and the check writes each row's Valid text into
// them, then asks for the row to be drawn again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "formats/checksum_list_reader.h"

// The list's columns, as the control shows them.
inline constexpr std::int32_t kVerifierFileColumn = 0;
inline constexpr std::int32_t kVerifierHashColumn = 1;
inline constexpr std::int32_t kVerifierValidColumn = 2;

// Guarded by its own lock: any thread may call the operations below.
struct VerifierRows {
  mutable std::mutex mutex;
  // Appended while the list file is read, and never changed once a check may
  // start (the window allows none before the last row is in): a check reads
  // them without the lock.
  std::vector<ChecksumEntry> entries;
  std::vector<std::wstring> valid;  // one per entry: "" until checked
};

// Room for `count` rows in all, made at once: a million rows grown by
// doubling would move every row again at the last step.
void ReserveVerifierRows(VerifierRows& rows, std::size_t count);
// Appends the list file's next entries as rows, each with an empty Valid text.
void AppendVerifierEntries(VerifierRows& rows, std::vector<ChecksumEntry> entries);
std::size_t VerifierRowCount(const VerifierRows& rows);
// As the list control asks: the name and digest as written, the Valid text;
// "" past the end.
std::wstring VerifierCell(const VerifierRows& rows, std::size_t row, std::int32_t column);
// Ignored past the end.
void SetValidText(VerifierRows& rows, std::size_t row, std::wstring text);
// Lets every row go, outside the lock: a long list's release takes a tenth
// of a second, so a window hands it to another thread.
void ReleaseVerifierRows(VerifierRows& rows);
