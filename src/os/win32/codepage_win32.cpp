#include "os/codepage.h"

#include <algorithm>
#include <climits>
#include <windows.h>

namespace os {
namespace {

std::wstring ToWide(UINT code_page, std::string_view bytes) {
  if (bytes.empty() || bytes.size() > INT_MAX) return {};
  // Every code page the program reads (UTF-8 and the ANSI ones) maps these
  // bytes to the same characters; a list's names and digests mostly are such
  // bytes, and this spares two calls into the system for each.
  if (std::all_of(bytes.begin(), bytes.end(), [](char byte) { return static_cast<unsigned char>(byte) < 0x80; }))
    return std::wstring(bytes.begin(), bytes.end());
  const int size = static_cast<int>(bytes.size());
  const int n = MultiByteToWideChar(code_page, 0, bytes.data(), size, nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  if (n > 0) MultiByteToWideChar(code_page, 0, bytes.data(), size, out.data(), n);
  return out;
}

std::string FromWide(UINT code_page, std::wstring_view text) {
  if (text.empty() || text.size() > INT_MAX) return {};
  const int size = static_cast<int>(text.size());
  const int n = WideCharToMultiByte(code_page, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  if (n > 0) WideCharToMultiByte(code_page, 0, text.data(), size, out.data(), n, nullptr, nullptr);
  return out;
}

}  // namespace

std::wstring Utf8ToWide(std::string_view bytes) { return ToWide(CP_UTF8, bytes); }
std::string WideToUtf8(std::wstring_view text) { return FromWide(CP_UTF8, text); }
// Program texts are UTF-16 already.
std::wstring Utf16ToWide(std::u16string_view units) { return std::wstring(units.begin(), units.end()); }
std::wstring AnsiToWide(std::string_view bytes) { return ToWide(CP_ACP, bytes); }
// Flags 0 keep the system's best-fit mapping for characters the code page lacks.
std::string WideToAnsi(std::wstring_view text) { return FromWide(CP_ACP, text); }

}  // namespace os
