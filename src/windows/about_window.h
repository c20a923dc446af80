// The About window (window 4).
#pragma once

#include <string>

// The page that credits the program's icons; also the link's text.
extern const wchar_t kIconsPageAddress[];

// Menu event 99: opens the window over the main window, then disables the main window.
void OpenAboutWindow();
// Control events of window 4: the link opens its page, OK closes the window.
void OnAboutWindowEvent();

// How the link's page is opened: the shell's "OPEN" verb. Tests put their own
// opener in place so that no browser starts; null restores the shell's.
// Returns the opener replaced.
using PageOpener = void (*)(const std::wstring& address);
PageOpener ReplacePageOpener(PageOpener opener);
