// Requesters and the message box. Window thread only. While one is shown the
// program's other windows take no input; the working directory is kept. The
// file requesters are shown on a thread of their own while the calling
// thread serves its messages (painting, timers, workers' writes) until they
// close, so one slow to open, or stuck in the shell, holds no window still;
// the caller still gets the answer when the call returns.
#pragma once

#include <cstdint>
#include <string>

#include <windows.h>

#include <commdlg.h>

// `filter`: names and patterns alternating, joined by "|" ("MD5 Files|*.md5|All files|*").
// Returns the chosen path, "" on cancel. With `multiple`, NextSelectedFile
// gives the further choices one by one, then "".
std::wstring OpenFileRequester(const std::wstring& title, const std::wstring& start_name,
                               const std::wstring& filter, bool multiple);
std::wstring NextSelectedFile();
std::wstring SaveFileRequester(const std::wstring& title, const std::wstring& start_name,
                               const std::wstring& filter);
// A message box with one OK button, owned by window `owner` (kNoWindow: the
// program's active window). Asked for while a file requester is shown (by a
// worker's carried write), it waits until the requester has closed, so that
// it never opens under the requester, and input stays with the requester.
void MessageRequester(const std::wstring& title, const std::wstring& text, std::int32_t owner = -1);

// How the open requester is shown: GetOpenFileNameW unless replaced, called
// on the requester's thread. A test puts in one that moves the current
// folder, as Windows may do whatever the flags say. Null restores GetOpenFileNameW. Returns the one it replaced.
using OpenDialog = BOOL(WINAPI*)(OPENFILENAMEW*);
OpenDialog ReplaceOpenDialog(OpenDialog dialog);
