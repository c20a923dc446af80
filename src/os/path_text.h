// Paths as text: the characters that separate their components, splitting
// off the last component, and joining a folder and a name.
#pragma once

#include <string>
#include <string_view>

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

// The last component of `path`: the text after its last separator, all of
// `path` when it has none, "" when it ends with one.
std::wstring FileNamePart(const std::wstring& path);
// The same without a copy: a view into `path`.
std::wstring_view FileNamePartView(std::wstring_view path);

// `path` up to and including its last separator: the folder its last
// component lies in; "" when it has no separator.
std::wstring FolderPart(const std::wstring& path);

// `folder` + separator + `name`, without doubling a separator the folder
// already ends with (as a drive root does).
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);

}  // namespace os
