// A checksum list's line, before and after its lookup.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// A line that has a two-space separator, as read, before its name is looked up.
struct ChecksumLine {
  std::wstring name;    // the text before the first two spaces
  std::wstring digest;  // the rest, without leading and trailing U+0020; not validated
};

// A line whose file was found, not empty, beside the list.
struct ChecksumEntry {
  std::wstring digest;
  // The list file's folder followed directly by the name as the line has it;
  // the name is kept only here (a million-line list would otherwise hold
  // every name twice).
  std::wstring path;
  std::size_t name_at = 0;  // where the name begins in path
  std::int64_t size = 0;    // PathSize of path when the list was read; always > 0
};

// The name as the list's line has it.
inline std::wstring_view ChecksumEntryName(const ChecksumEntry& entry) {
  return std::wstring_view(entry.path).substr(std::min(entry.name_at, entry.path.size()));
}
