#include "formats/checksum_list.h"

#include <new>

#include "os/ascii_case.h"
#include "os/codepage.h"
#include "os/path_text.h"
#include "os/replace_file.h"

namespace {

std::string ListBytesOf(const std::wstring& text) { return "\xEF\xBB\xBF" + os::WideToUtf8(text); }

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
  try {
    return os::ReplaceFileContents(path, ListBytesOf(text));
  } catch (const std::bad_alloc&) {
    return false;  // a list too large to build in memory is not saved
  }
}

bool WriteChecksumList(const std::wstring& path, const std::vector<ChecksumRow>& rows) {
  try {
    return WriteChecksumListText(path, ChecksumListText(rows));
  } catch (const std::bad_alloc&) {
    return false;
  }
}
