// A checksum list's lines packed for a long list, before their lookup or
// after it: each name and digest as written, and the size found, in a page
// arena. A digest of 32 hex digits takes its 16 bytes and which digits were
// capitals; any other digest text, and the names, take their characters, one
// byte each when every one is ASCII. A million lines take 40 bytes each
// beside their texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "formats/checksum_entry.h"
#include "os/chunked_array.h"
#include "os/page_arena.h"

struct PackedLine {
  const void* text;                  // the name, then the digest when it is kept as text
  std::uint32_t name_length : 30;    // characters
  std::uint32_t narrow : 1;          // the texts take one byte a character
  std::uint32_t digest_as_text : 1;  // the digest is not 32 hex digits
  union {
    std::uint32_t capitals;       // digest in `digest`: bit i set when digit i was a capital
    std::uint32_t digest_length;  // digest as text: its characters, after the name's
  };
  std::int64_t size;  // the file's, once looked up; 0 before
  std::uint8_t digest[16];
};
static_assert(sizeof(void*) != 8 || sizeof(PackedLine) == 40, "a million lines must stay 40 MB beside their texts");

// In file order.
struct PackedLines {
  os::PageArena arena;
  os::ChunkedArray<PackedLine> items;
};

inline std::size_t PackedLineCount(const PackedLines& lines) { return lines.items.count; }
inline const PackedLine& PackedLineAt(const PackedLines& lines, std::size_t at) { return os::ItemAt(lines.items, at); }

// Throws std::bad_alloc when memory runs out (the line is then not added), as
// for a name or digest text of a thousand million characters or more.
void AppendPackedLine(PackedLines& lines, std::wstring_view name, std::wstring_view digest, std::int64_t size);
// The entry's name as written, digest and size; its folder is the caller's
// to keep.
void AppendPackedEntry(PackedLines& lines, const ChecksumEntry& entry);
// Each line, its texts given back as it is packed; the lines are left empty.
void PackLines(std::vector<ChecksumLine>& from, PackedLines& lines);

// The name and the digest exactly as written.
std::wstring PackedName(const PackedLines& lines, std::size_t at);
void AppendPackedName(const PackedLines& lines, std::size_t at, std::wstring* to);
std::wstring PackedDigest(const PackedLines& lines, std::size_t at);
// Line `at` as the entry it was packed from, given the list's folder.
ChecksumEntry UnpackedEntry(const PackedLines& lines, std::size_t at, const std::wstring& folder);

// Every line gone, its memory back with the system at once.
void ReleasePackedLines(PackedLines& lines);
