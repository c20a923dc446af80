#include "formats/checksum_list.h"

#include <utility>

#include "os/ascii_case.h"
#include "os/codepage.h"
#include "os/path_text.h"
#include "os/replace_file.h"

void AppendChecksumLine(std::wstring* text, std::wstring_view name, std::wstring_view hash) {
  text->append(name);
  text->append(L"  ");
  text->append(hash);
  text->append(L"\r\n");
}

std::wstring WithMd5Extension(const std::wstring& path) {
  const std::wstring name = os::FileNamePart(path);
  const std::size_t dot = name.rfind(L'.');
  if (dot != std::wstring::npos && os::EqualIgnoringAsciiCase(name.substr(dot), L".md5")) return path;
  return path + L".md5";
}

bool WriteChecksumListPieces(const std::wstring& path, const ChecksumLinePieces& next) {
  bool marked = false;
  std::wstring lines;
  std::string bytes;
  // Memory that runs out on the way fails the save; the old file stays.
  return os::ReplaceFileContents(path, [&](std::string_view* piece) {
    if (!std::exchange(marked, true)) {
      *piece = kChecksumListMark;
      return true;
    }
    lines.clear();
    if (!next(&lines)) return false;
    bytes = os::WideToUtf8(lines);
    *piece = bytes;
    return true;
  });
}
