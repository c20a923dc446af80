// Case of ASCII letters only, for texts whose letters are ASCII by definition:
// digests, file extensions, settings' names. Every other character keeps its
// code. (Hex digits, in either case, are read in hex_digits.h.)
#pragma once

#include <string_view>

namespace os {

// `c` in lower case when it is an ASCII capital, else `c`; for char and wchar_t.
template <typename Char>
constexpr Char AsciiLower(Char c) {
  return (c >= Char{'A'} && c <= Char{'Z'}) ? static_cast<Char>(c - Char{'A'} + Char{'a'}) : c;
}

// Whether `a` and `b` are the same text but for the case of ASCII letters.
bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b);
bool EqualIgnoringAsciiCase(std::wstring_view a, std::wstring_view b);

}  // namespace os
