// Program-wide state, start-up, the event loop and Quit.
#pragma once

#include <cstdint>

#include "formats/settings.h"

// The event being dispatched, read once right after the wait returns.
struct CurrentEvent {
  std::int32_t kind = 0;
  std::int32_t window = -1;
  std::int32_t type = 0;
  std::int32_t gadget = -1;
  std::int32_t menu = -1;
};

struct Program {
  std::int32_t quit = 0;     // set by the main window's close request and by Exit
  std::uint32_t worker = 0;  // the thread StartWorker started last
  Settings settings;         // as loaded at start-up and after Options' OK
  CurrentEvent event;
};

Program& TheProgram();

// Start-up in its fixed order: services and OLE, settings, then the main
// window with everything on it. False when the main window could not be opened.
bool StartUp();

// Reads settings.ini into the program's settings (defaults where it is
// missing); at start-up before any window exists, again after Options' OK.
void LoadProgramSettings();

// One turn of the loop: waits up to `timeout_ms` (the services' kWaitForever:
// no limit) for the next event of any window, makes it the current event and
// dispatches it. Returns its kind, 0 when none came.
std::int32_t ServeNextEvent(std::int32_t timeout_ms);

// Serves events until the quit flag is set; then Quit.
[[noreturn]] void RunEventLoop();

// Ends the process at once with exit code 0; running workers end with it.
[[noreturn]] void Quit();

// The whole program: start-up, then the loop.
int RunProgram();
