#include "checksum_list_helpers.h"

#include <algorithm>
#include <iterator>

#include "formats/checksum_list.h"
#include "formats/checksum_list_reader.h"
#include "os/codepage.h"
#include "os/file.h"
#include "os/whole_file.h"

std::wstring ListTextOf(const std::vector<ShownRow>& rows) {
  std::wstring text;
  for (const ShownRow& row : rows)
    if (InChecksumList(row.ticked, !row.hash.empty())) AppendChecksumLine(&text, row.name, row.hash);
  return text;
}

std::string ListBytesOf(const std::vector<ShownRow>& rows) { return "\xEF\xBB\xBF" + os::WideToUtf8(ListTextOf(rows)); }

bool WriteListOf(const std::wstring& path, const std::vector<ShownRow>& rows) {
  const std::wstring text = ListTextOf(rows);
  std::size_t at = 0;
  return WriteChecksumListPieces(path, [&](std::wstring* lines) {
    if (at == text.size()) return false;
    std::size_t end = text.find(L'\n', std::min(text.size(), at + kChecksumPieceChars));
    end = end == std::wstring::npos ? text.size() : end + 1;
    lines->assign(text, at, end - at);
    at = end;
    return true;
  });
}

std::vector<ChecksumLine> ParseChecksumList(std::string_view bytes) {
  ChecksumListParser parser;
  parser.Feed(bytes);
  parser.Finish();
  return std::move(parser.lines());
}

bool ReadChecksumLines(const std::wstring& path, std::vector<ChecksumLine>* lines) {
  lines->clear();
  const os::FileHandle file = os::OpenForReading(path);
  if (file == os::kNoFile) return false;
  ChecksumListParser parser;
  const bool whole = os::ReadInChunks(file, [&parser](std::string_view chunk) { return parser.Feed(chunk); });
  os::CloseFile(file);
  parser.Finish();
  if (whole) lines->swap(parser.lines());
  return whole;
}

std::vector<ChecksumEntry> ReadChecksumList(const std::wstring& path) {
  std::vector<ChecksumEntry> all;
  const bool whole = ReadAndResolveChecksumList(
      path, ListReading{}, [&all](std::size_t lines) { all.reserve(lines); },
      [&all](std::vector<ChecksumEntry>& entries) {
        all.insert(all.end(), std::make_move_iterator(entries.begin()), std::make_move_iterator(entries.end()));
        return true;
      });
  if (!whole) all.clear();
  return all;
}
