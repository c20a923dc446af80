// Requesters and the message box. Window thread only. While one is shown the
// program's other windows take no input; the working directory is kept.
#pragma once

#include <cstdint>
#include <string>

// `filter`: names and patterns alternating, joined by "|" ("MD5 Files|*.md5|All files|*").
// Returns the chosen path, "" on cancel. With `multiple`, NextSelectedFile
// gives the further choices one by one, then "".
std::wstring OpenFileRequester(const std::wstring& title, const std::wstring& start_name,
                               const std::wstring& filter, bool multiple);
std::wstring NextSelectedFile();
std::wstring SaveFileRequester(const std::wstring& title, const std::wstring& start_name,
                               const std::wstring& filter);
// A message box with one OK button over the active window of the program.
void MessageRequester(const std::wstring& title, const std::wstring& text);
