#include "formats/checksum_list.h"

#include <algorithm>
#include <new>
#include <utility>

#include "os/ascii_case.h"
#include "os/codepage.h"
#include "os/path_text.h"
#include "os/replace_file.h"

namespace {

constexpr std::string_view kMark = "\xEF\xBB\xBF";

std::string ListBytesOf(const std::wstring& text) { return std::string(kMark) + os::WideToUtf8(text); }

}  // namespace

void AppendChecksumLine(std::wstring* text, std::wstring_view name, std::wstring_view hash) {
  text->append(name);
  text->append(L"  ");
  text->append(hash);
  text->append(L"\r\n");
}

std::wstring ChecksumListText(const std::vector<ChecksumRow>& rows) {
  std::wstring text;
  for (const ChecksumRow& row : rows) {
    if (InChecksumList(row.ticked, !row.hash.empty())) AppendChecksumLine(&text, row.name, row.hash);
  }
  return text;
}

std::string ChecksumListBytes(const std::vector<ChecksumRow>& rows) { return ListBytesOf(ChecksumListText(rows)); }

std::wstring WithMd5Extension(const std::wstring& path) {
  const std::wstring name = os::FileNamePart(path);
  const std::size_t dot = name.rfind(L'.');
  if (dot != std::wstring::npos && os::EqualIgnoringAsciiCase(name.substr(dot), L".md5")) return path;
  return path + L".md5";
}

bool WriteChecksumListText(const std::wstring& path, const std::wstring& text) {
  // In pieces that end at a line's end, never inside a character.
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

bool WriteChecksumListPieces(const std::wstring& path, const ChecksumLinePieces& next) {
  bool marked = false;
  std::wstring lines;
  std::string bytes;
  // Memory that runs out on the way fails the save; the old file stays.
  return os::ReplaceFileContents(path, [&](std::string_view* piece) {
    if (!std::exchange(marked, true)) {
      *piece = kMark;
      return true;
    }
    lines.clear();
    if (!next(&lines)) return false;
    bytes = os::WideToUtf8(lines);
    *piece = bytes;
    return true;
  });
}

bool WriteChecksumList(const std::wstring& path, const std::vector<ChecksumRow>& rows) {
  try {
    return WriteChecksumListText(path, ChecksumListText(rows));
  } catch (const std::bad_alloc&) {
    return false;
  }
}
