#include "app/program.h"

#include <windows.h>

#include <ole2.h>

#include "app/dispatch.h"
#include "app/main_window.h"
#include "ui/events.h"
#include "ui/image.h"
#include "ui/window.h"

Program& TheProgram() {
  static Program program;
  return program;
}

void LoadProgramSettings() {
  // The settings reader arrives with the stored-formats library; until it is
  // linked in, the program runs on the defaults (thread.higher 0, auto.check 1).
}

bool StartUp() {
  TheProgram() = Program{};
  StartUi();  // common controls and OLE, which the file drop needs
  LoadProgramSettings();
  DecodeToolbarImages();
  return BuildMainWindow();
}

void RunEventLoop() {
  Program& program = TheProgram();
  while (true) {
    std::int32_t kind = WaitEvent();
    program.event = CurrentEvent{kind, EventWindow(), EventType(), EventGadget(), EventMenu()};
    if (kind != 0) DispatchEvent(program.event);
    if (program.quit == 1 || kind == 0) Quit();
  }
}

void Quit() {
  for (std::int32_t window = 0; window <= 5; ++window) CloseWindowNumber(window);
  FreeImages();
  OleUninitialize();
  // Not ExitProcess: that would run the runtime's exit handlers while workers
  // may hold its locks. Ending the process ends the workers with it.
  TerminateProcess(GetCurrentProcess(), 0);
  ExitProcess(0);
}

int RunProgram() {
  if (!StartUp()) return 1;  // without the main window there is nothing to serve
  RunEventLoop();
}
