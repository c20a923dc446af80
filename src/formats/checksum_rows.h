// A checksum list's lines packed for a long list: each name and digest as
// written, kept in a page arena. A digest of 32 hex digits takes its 16 bytes
// and a mask of which digits are capitals; any other digest text, and the
// names, take their characters, one byte each when every one is ASCII. A
// million lines take about 40 bytes each beside their names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "os/page_arena.h"

struct PackedChecksumRow {
  const void* text = nullptr;   // the name, then a digest that is not 32 hex digits
  std::uint32_t name_length = 0;  // characters, with the two flags below
  std::uint32_t upper = 0;        // 32 hex digits: bit i set when digit i is a capital; else the digest's length
  std::int64_t size = 0;
  std::uint8_t digest[16] = {};
};
inline constexpr std::uint32_t kPackedNarrow = 0x80000000u;  // the texts one byte a character
inline constexpr std::uint32_t kPackedDigestText = 0x40000000u;  // the digest as text, after the name
inline constexpr std::uint32_t kPackedLengthMask = 0x3FFFFFFFu;

// Rows in file order. Not guarded: one thread at a time, or readers only.
struct ChecksumRows {
  os::PageArena arena;
  std::vector<PackedChecksumRow*> chunks;  // kPackedRowsPerChunk rows each, in the arena
  std::size_t count = 0;
};
inline constexpr std::size_t kPackedRowsPerChunk = 4096;

// Throws std::bad_alloc when memory runs out (the row is then not added), as
// for a name or digest text of a thousand million characters or more.
void AppendChecksumRow(ChecksumRows& rows, std::wstring_view name, std::wstring_view digest, std::int64_t size);
inline const PackedChecksumRow& ChecksumRowAt(const ChecksumRows& rows, std::size_t row) {
  return rows.chunks[row / kPackedRowsPerChunk][row % kPackedRowsPerChunk];
}
// The name and the digest exactly as written.
std::wstring ChecksumRowName(const ChecksumRows& rows, std::size_t row);
void AppendChecksumRowName(const ChecksumRows& rows, std::size_t row, std::wstring* to);
std::wstring ChecksumRowDigest(const ChecksumRows& rows, std::size_t row);
// Every row gone, its memory back with the system at once.
void ReleaseChecksumRows(ChecksumRows& rows);
