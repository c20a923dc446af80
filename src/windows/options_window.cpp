// The Options window (window 1).
// The commands are wired into the event loop; their work is still to be written.
#include "windows/options_window.h"

void OpenOptionsWindow() {}

void OnOptionsWindowEvent() {}
