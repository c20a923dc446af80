// What both halves of ReplaceFileContents share: the names of their temporary
// files, and how the pieces of a content are written.
//
// A temporary file lives beside its target but has a short name of its own, so
// that a target of any length the file system takes can be replaced. The names
// follow one strict pattern that no user file has, so that the files a killed
// process left behind can be found and removed without touching anything else:
//
//   .sumwick-save-PPPPPPPP-CCCCCCCC-RRRRRRRR.tmp
//
// process id, the process's save counter and noise, each 8 lowercase hex digits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <string>
#include <string_view>

#include "os/replace_file.h"

namespace os::replace_temp {

inline constexpr std::string_view kPrefix = ".sumwick-save-";
inline constexpr std::string_view kSuffix = ".tmp";
inline constexpr int kFields = 3;
inline constexpr int kDigits = 8;
inline constexpr std::size_t kNameLength = kPrefix.size() + kFields * kDigits + (kFields - 1) + kSuffix.size();

template <typename Char>
std::basic_string<Char> Name(std::uint32_t pid, std::uint32_t count, std::uint32_t noise) {
  std::basic_string<Char> name(kPrefix.begin(), kPrefix.end());
  const std::uint32_t fields[kFields] = {pid, count, noise};
  for (int field = 0; field < kFields; ++field) {
    if (field > 0) name += Char('-');
    for (int shift = (kDigits - 1) * 4; shift >= 0; shift -= 4) {
      name += Char("0123456789abcdef"[(fields[field] >> shift) & 0xF]);
    }
  }
  name.append(kSuffix.begin(), kSuffix.end());
  return name;
}

// Whether `name` (a bare file name) is exactly of the pattern Name makes.
template <typename Char>
bool IsName(std::basic_string_view<Char> name) {
  if (name.size() != kNameLength) return false;
  std::size_t i = 0;
  for (const char c : kPrefix) {
    if (name[i++] != Char(c)) return false;
  }
  for (int field = 0; field < kFields; ++field) {
    if (field > 0 && name[i++] != Char('-')) return false;
    for (int digit = 0; digit < kDigits; ++digit, ++i) {
      const Char c = name[i];
      if (!((c >= Char('0') && c <= Char('9')) || (c >= Char('a') && c <= Char('f')))) return false;
    }
  }
  for (const char c : kSuffix) {
    if (name[i++] != Char(c)) return false;
  }
  return true;
}

// Spreads the bits of a clock reading or similar into 32 bits of noise. Not
// secret: it only makes clashes between hosts or pid namespaces sharing a
// folder unlikely; creating the file exclusively is what makes a name unique.
inline std::uint32_t Noise(std::uint64_t seed) {
  std::uint64_t x = seed + 0x9E3779B97F4A7C15u;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9u;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBu;
  return static_cast<std::uint32_t>(x ^ (x >> 31));
}

// Writes each piece `next` gives with `write_all` (false when it fails);
// false at the first failure, or when a piece cannot be made.
template <typename WriteAll>
bool WriteEachPiece(const ContentPieces& next, WriteAll write_all) {
  try {
    for (std::string_view piece; next(&piece);)
      if (!write_all(piece)) return false;
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

}  // namespace os::replace_temp
