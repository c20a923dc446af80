#include "formats/checksum_list.h"

#include <new>

#include "os/codepage.h"
#include "os/path_separator.h"
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
  std::size_t start = path.size();
  while (start > 0 && !os::IsPathSeparator(path[start - 1])) --start;
  const std::size_t dot = path.rfind(L'.');
  if (dot != std::wstring::npos && dot >= start && path.size() - dot == 4) {
    auto lower = [](wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c; };
    if (lower(path[dot + 1]) == L'm' && lower(path[dot + 2]) == L'd' && path[dot + 3] == L'5') return path;
  }
  return path + L".md5";
}

bool WriteChecksumList(const std::wstring& path, const std::vector<ChecksumRow>& rows) {
  try {
    return os::ReplaceFileContents(path, ChecksumListBytes(rows));
  } catch (const std::bad_alloc&) {
    return false;  // a list too large to build in memory is not saved
  }
}
