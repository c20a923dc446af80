// Conversions between the program's wide texts and byte encodings. Program
// texts are std::wstring: UTF-16 on Win32, UTF-32 on POSIX.
#pragma once

#include <string>
#include <string_view>

namespace os {

// Malformed UTF-8 sequences become U+FFFD.
std::wstring Utf8ToWide(std::string_view bytes);
// Unpaired surrogates become U+FFFD.
std::string WideToUtf8(std::wstring_view text);

// UTF-16 code units as they are on Win32, unpaired surrogates included; on
// POSIX a surrogate pair becomes one character and an unpaired surrogate
// U+FFFD.
std::wstring Utf16ToWide(std::u16string_view units);

// The system's 8-bit code page: the ANSI code page on Win32; Windows-1252
// stands in for it on POSIX.
std::wstring AnsiToWide(std::string_view bytes);
// Characters the code page lacks take their best-fit stand-in where the
// system has one, else "?".
std::string WideToAnsi(std::wstring_view text);

}  // namespace os
