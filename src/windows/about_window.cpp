// The About window (window 4).
// The commands are wired into the event loop; their work is still to be written.
#include "windows/about_window.h"

void OpenAboutWindow() {}

void OnAboutWindowEvent() {}
