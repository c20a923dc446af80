// Program-wide state, start-up, the event loop and Quit.
#pragma once

#include <cstdint>

#include "formats/settings.h"
#include "ui/events.h"
#include "windows/tool_window.h"

struct Program {
  // The close requests (the main window's close box, Exit) since the last
  // quit was called off by a save that failed.
  std::int32_t quit = 0;
  Settings settings;      // as loaded at start-up and after Options' OK
  Event event;            // the event being dispatched
};

Program& TheProgram();

// What a tool window opened from the main window is given.
ToolWindowContext ToolContext();

// Start-up in its fixed order: services and OLE, settings, then the main
// window with everything on it. False when the main window could not be opened.
bool StartUp();

// Reads settings.ini into the program's settings (defaults where it is
// missing); at start-up before any window exists.
void LoadProgramSettings();

// One turn of the loop: waits up to `timeout_ms` (the services' kWaitForever:
// no limit) for the next event of any window, makes it the current event and
// dispatches it. Returns its kind, 0 when none came.
std::int32_t ServeNextEvent(std::int32_t timeout_ms);

// Serves events until the quit flag is set and WaitBeforeQuitting agrees;
// then Quit.
[[noreturn]] void RunEventLoop();

// After a close request: serves the windows until every save and Copy chosen
// before it is done, so that none is lost and a save that fails is told with
// the main window still up. True when the program may end now: all is done, a
// second close request came, or 10 s passed. False when a save failed: the
// quit is called off and the user may save again.
bool WaitBeforeQuitting();
inline constexpr std::uint64_t kQuitWaitMilliseconds = 10000;

// Ends the process at once with exit code 0; running workers end with it.
[[noreturn]] void Quit();

// The whole program: start-up, then the loop.
int RunProgram();
