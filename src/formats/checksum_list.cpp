#include "formats/checksum_list.h"

#include <new>

#include "os/ascii_case.h"
#include "os/codepage.h"
#include "os/path_text.h"
#include "os/replace_file.h"

std::wstring ChecksumListText(const std::vector<ChecksumRow>& rows) {
  std::wstring text;
  for (const ChecksumRow& row : rows) {
    if (!row.ticked || row.hash.empty()) continue;
    text += row.name;
    text += L"  ";
    text += row.hash;
    text += L"\r\n";
  }
  return text;
}

std::string ChecksumListBytes(const std::vector<ChecksumRow>& rows) {
  return "\xEF\xBB\xBF" + os::WideToUtf8(ChecksumListText(rows));
}

std::wstring WithMd5Extension(const std::wstring& path) {
  const std::wstring name = os::FileNamePart(path);
  const std::size_t dot = name.rfind(L'.');
  if (dot != std::wstring::npos && os::EqualIgnoringAsciiCase(name.substr(dot), L".md5")) return path;
  return path + L".md5";
}

bool WriteChecksumList(const std::wstring& path, const std::vector<ChecksumRow>& rows) {
  try {
    return os::ReplaceFileContents(path, ChecksumListBytes(rows));
  } catch (const std::bad_alloc&) {
    return false;  // a list too large to build in memory is not saved
  }
}
