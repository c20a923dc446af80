// Win32 only: paths of any length for the classic file API.
#pragma once

#include <string>

namespace os {

// Returns `path` unchanged when the classic API takes it as it is, else its
// extended-length form ("\\?\C:\..." or "\\?\UNC\server\share\..."), made
// absolute and with "/" turned into "\" since that form is taken literally.
std::wstring ExtendedLengthPath(const std::wstring& path);

}  // namespace os
