#include "formats/checksum_rows.h"

#include <cstring>
#include <new>

#include "os/ascii_case.h"

namespace {

bool PackDigest(std::wstring_view text, PackedChecksumRow* row) {
  if (text.size() != 32) return false;
  std::uint32_t upper = 0;
  for (std::size_t i = 0; i < 32; ++i) {
    const int value = os::HexDigitValue(text[i]);
    if (value < 0) return false;
    if (text[i] >= L'A' && text[i] <= L'F') upper |= std::uint32_t{1} << i;
    row->digest[i / 2] = static_cast<std::uint8_t>(i % 2 == 0 ? value << 4 : row->digest[i / 2] | value);
  }
  row->upper = upper;
  return true;
}

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

}  // namespace

void AppendChecksumRow(ChecksumRows& rows, std::wstring_view name, std::wstring_view digest, std::int64_t size) {
  PackedChecksumRow row;
  row.size = size;
  const bool digest_text = !PackDigest(digest, &row);
  if (name.size() > kPackedLengthMask || (digest_text && digest.size() > kPackedLengthMask)) throw std::bad_alloc();
  const bool narrow = Ascii(name) && (!digest_text || Ascii(digest));
  const std::size_t characters = name.size() + (digest_text ? digest.size() : 0);
  if (rows.count % kPackedRowsPerChunk == 0 && rows.count / kPackedRowsPerChunk == rows.chunks.size()) {
    rows.chunks.reserve(rows.chunks.size() + 1);
    rows.chunks.push_back(static_cast<PackedChecksumRow*>(
        os::ArenaTake(rows.arena, kPackedRowsPerChunk * sizeof(PackedChecksumRow))));
  }
  if (characters > 0) {
    const std::size_t unit = narrow ? 1 : sizeof(wchar_t);
    void* text = os::ArenaTake(rows.arena, characters * unit, unit);
    if (narrow) {
      auto* bytes = static_cast<unsigned char*>(text);
      for (std::size_t i = 0; i < name.size(); ++i) bytes[i] = static_cast<unsigned char>(name[i]);
      if (digest_text)
        for (std::size_t i = 0; i < digest.size(); ++i) bytes[name.size() + i] = static_cast<unsigned char>(digest[i]);
    } else {
      auto* wide = static_cast<wchar_t*>(text);
      std::memcpy(wide, name.data(), name.size() * sizeof(wchar_t));
      if (digest_text) std::memcpy(wide + name.size(), digest.data(), digest.size() * sizeof(wchar_t));
    }
    row.text = text;
  }
  row.name_length = static_cast<std::uint32_t>(name.size()) | (narrow ? kPackedNarrow : 0) |
                    (digest_text ? kPackedDigestText : 0);
  if (digest_text) row.upper = static_cast<std::uint32_t>(digest.size());
  new (&rows.chunks[rows.count / kPackedRowsPerChunk][rows.count % kPackedRowsPerChunk]) PackedChecksumRow(row);
  ++rows.count;
}

void AppendChecksumRowName(const ChecksumRows& rows, std::size_t row, std::wstring* to) {
  const PackedChecksumRow& packed = ChecksumRowAt(rows, row);
  AppendText(packed.text, (packed.name_length & kPackedNarrow) != 0, 0, packed.name_length & kPackedLengthMask, to);
}

std::wstring ChecksumRowName(const ChecksumRows& rows, std::size_t row) {
  std::wstring name;
  AppendChecksumRowName(rows, row, &name);
  return name;
}

std::wstring ChecksumRowDigest(const ChecksumRows& rows, std::size_t row) {
  const PackedChecksumRow& packed = ChecksumRowAt(rows, row);
  std::wstring digest;
  if (packed.name_length & kPackedDigestText) {
    AppendText(packed.text, (packed.name_length & kPackedNarrow) != 0, packed.name_length & kPackedLengthMask,
               packed.upper, &digest);
    return digest;
  }
  digest.resize(32);
  for (std::size_t i = 0; i < 32; ++i) {
    const int value = i % 2 == 0 ? packed.digest[i / 2] >> 4 : packed.digest[i / 2] & 15;
    const wchar_t* digits = (packed.upper >> i) & 1 ? L"0123456789ABCDEF" : L"0123456789abcdef";
    digest[i] = digits[value];
  }
  return digest;
}

void ReleaseChecksumRows(ChecksumRows& rows) {
  std::vector<PackedChecksumRow*>().swap(rows.chunks);
  rows.count = 0;
  os::ReleaseArena(rows.arena);
}
