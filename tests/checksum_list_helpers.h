// Checksum lists as the tests make and read them: rows as the user sees
// them, their expected text and bytes, and the whole-list forms of the
// program's readers.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "formats/checksum_entry.h"
#include <cstddef>

// A row of the file list as shown: its tick, File and Hash columns.
struct ShownRow {
  bool ticked = false;
  std::wstring name;
  std::wstring hash;  // "" until hashed
};

// The lines of every ticked row that has a Hash text.
std::wstring ListTextOf(const std::vector<ShownRow>& rows);
// The bytes a saved list of them holds: the mark, then the lines in UTF-8.
std::string ListBytesOf(const std::vector<ShownRow>& rows);
// Saves them as the program does, in pieces of kChecksumPieceChars cut at
// line ends: false when the file cannot be written.
bool WriteListOf(const std::wstring& path, const std::vector<ShownRow>& rows);

// Every line of list bytes held in memory.
std::vector<ChecksumLine> ParseChecksumList(std::string_view bytes);
// The lines of the list file at `path`: false, with none, when it cannot be
// read to its end.
bool ReadChecksumLines(const std::wstring& path, std::vector<ChecksumLine>* lines);
// The entries of the list file at `path`, as the verifier gets them, all at
// once: empty when the list cannot be read whole.
std::vector<ChecksumEntry> ReadChecksumList(const std::wstring& path);
