// The About window (window 4).
#pragma once

#include <string>

// Menu event 99: opens the window over the main window, then disables the main window.
void OpenAboutWindow();
// Control events of window 4: the link opens its page, OK closes the window.
void OnAboutWindowEvent();
