// The Options window (window 1).
#pragma once

#include <string>

// Menu event 3: opens the window over the main window, then disables the main window.
void OpenOptionsWindow();
// Control events of window 1: OK saves and reloads the settings, Cancel only closes.
void OnOptionsWindowEvent();
