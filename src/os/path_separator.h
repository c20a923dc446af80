// Which characters separate the components of a path on this platform.
#pragma once

namespace os {

// The separator this platform writes between a folder and a name.
#ifdef _WIN32
inline constexpr wchar_t kPathSeparator = L'\\';
#else
inline constexpr wchar_t kPathSeparator = L'/';
#endif

// Win32 takes both "\" and "/"; on POSIX "\" is an ordinary file name character.
constexpr bool IsPathSeparator(wchar_t c) {
#ifdef _WIN32
  return c == L'\\' || c == L'/';
#else
  return c == L'/';
#endif
}

}  // namespace os
