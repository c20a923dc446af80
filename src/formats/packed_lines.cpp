#include "formats/packed_lines.h"

#include <algorithm>
#include <new>

#include "os/hex_digits.h"

namespace {

constexpr std::size_t kMostCharacters = (std::size_t{1} << 30) - 1;  // what name_length holds

bool Ascii(std::wstring_view text) {
  for (const wchar_t c : text)
    if (static_cast<std::uint32_t>(c) >= 0x80) return false;
  return true;
}

void AppendText(const void* text, bool narrow, std::size_t from, std::size_t length, std::wstring* to) {
  if (narrow) {
    const auto* bytes = static_cast<const unsigned char*>(text) + from;
    for (std::size_t i = 0; i < length; ++i) to->push_back(static_cast<wchar_t>(bytes[i]));
  } else {
    to->append(static_cast<const wchar_t*>(text) + from, length);
  }
}

// The name, then the digest unless it was packed as bytes, in the arena.
const void* KeepTexts(os::PageArena& arena, std::wstring_view name, std::wstring_view digest, bool narrow) {
  const std::size_t characters = name.size() + digest.size();
  if (characters == 0) return nullptr;
  const std::size_t unit = narrow ? 1 : sizeof(wchar_t);
  void* text = os::ArenaTake(arena, characters * unit, unit);
  if (narrow) {
    auto* bytes = static_cast<unsigned char*>(text);
    for (std::size_t i = 0; i < name.size(); ++i) bytes[i] = static_cast<unsigned char>(name[i]);
    for (std::size_t i = 0; i < digest.size(); ++i) bytes[name.size() + i] = static_cast<unsigned char>(digest[i]);
  } else {
    auto* wide = static_cast<wchar_t*>(text);
    std::copy(name.begin(), name.end(), wide);
    std::copy(digest.begin(), digest.end(), wide + name.size());
  }
  return text;
}

}  // namespace

void AppendPackedLine(PackedLines& lines, std::wstring_view name, std::wstring_view digest, std::int64_t size) {
  PackedLine line{};
  line.size = size;
  std::uint32_t capitals = 0;
  const bool as_text = !os::HexDigitsToBytes(digest, line.digest, 16, &capitals);
  if (name.size() > kMostCharacters || (as_text && digest.size() > kMostCharacters)) throw std::bad_alloc();
  const bool narrow = Ascii(name) && (!as_text || Ascii(digest));
  line.text = KeepTexts(lines.arena, name, as_text ? digest : std::wstring_view(), narrow);
  line.name_length = static_cast<std::uint32_t>(name.size());
  line.narrow = narrow;
  line.digest_as_text = as_text;
  if (as_text)
    line.digest_length = static_cast<std::uint32_t>(digest.size());
  else
    line.capitals = capitals;
  os::AppendItem(lines.items, lines.arena, line);
}

void AppendPackedEntry(PackedLines& lines, const ChecksumEntry& entry) {
  AppendPackedLine(lines, ChecksumEntryName(entry), entry.digest, entry.size);
}

void PackLines(std::vector<ChecksumLine>& from, PackedLines& lines) {
  for (ChecksumLine& line : from) {
    AppendPackedLine(lines, line.name, line.digest, 0);
    std::wstring().swap(line.name);
    std::wstring().swap(line.digest);
  }
}

void AppendPackedName(const PackedLines& lines, std::size_t at, std::wstring* to) {
  const PackedLine& line = PackedLineAt(lines, at);
  AppendText(line.text, line.narrow, 0, line.name_length, to);
}

std::wstring PackedName(const PackedLines& lines, std::size_t at) {
  std::wstring name;
  AppendPackedName(lines, at, &name);
  return name;
}

std::wstring PackedDigest(const PackedLines& lines, std::size_t at) {
  const PackedLine& line = PackedLineAt(lines, at);
  std::wstring digest;
  if (line.digest_as_text) {
    AppendText(line.text, line.narrow, line.name_length, line.digest_length, &digest);
    return digest;
  }
  digest.resize(32);
  os::BytesToHexDigits(line.digest, 16, &digest[0], line.capitals);
  return digest;
}

ChecksumEntry UnpackedEntry(const PackedLines& lines, std::size_t at, const std::wstring& folder) {
  ChecksumEntry entry{PackedDigest(lines, at), folder, folder.size(), PackedLineAt(lines, at).size};
  AppendPackedName(lines, at, &entry.path);
  return entry;
}

void ReleasePackedLines(PackedLines& lines) {
  os::ForgetItems(lines.items);
  os::ReleaseArena(lines.arena);
}
