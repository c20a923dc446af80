#include "app/program.h"

#include <windows.h>

#include <ole2.h>

#include "app/dispatch.h"
#include "app/file_list.h"
#include "app/main_window.h"
#include "app/save_checksum_list.h"
#include "ui/events.h"
#include "ui/image.h"
#include "ui/session.h"
#include "ui/window.h"
#include "windows/long_work.h"
#include "windows/system_long_work.h"

Program& TheProgram() {
  static Program program;
  return program;
}

namespace {

// The session ends all the same: a save under way gets its few seconds.
void EndSession() {
  EndSessionAfterSaves();
  Quit();
}

}  // namespace

ToolWindowContext ToolContext() { return ToolWindowContext{kMainWindow, &TheProgram().settings}; }

void LoadProgramSettings() { TheProgram().settings = LoadSettings(); }

bool StartUp() {
  TheProgram() = Program{};
  EndFileAdds();  // none of an earlier window's adds reaches this one
  ClearRows(TheFileRows());  // the entries start empty, as the list does
  StartUi();  // common controls and OLE, which the file drop needs
  EndEveryLongWork();  // none of an earlier window's runs shows on this one
  ReplaceLongWorkSignals(SystemLongWorkSignals());
  AnswerSessionEnd({SessionMayEnd, EndSession});
  LoadProgramSettings();
  LoadToolbarImages();
  return BuildMainWindow();
}

std::int32_t ServeNextEvent(std::int32_t timeout_ms) {
  Program& program = TheProgram();
  const std::int32_t kind = WaitEvent(timeout_ms);
  program.event = kind != 0 ? TakenEvent() : Event{};
  if (kind != 0) DispatchEvent(program.event);
  return kind;
}

void RunEventLoop() {
  while (true) {
    std::int32_t kind = ServeNextEvent(kWaitForever);
    // 0 only when the message queue itself has ended.
    if (kind == 0 || (TheProgram().quit > 0 && WaitBeforeQuitting())) Quit();
  }
}

bool WaitBeforeQuitting() {
  const Program& program = TheProgram();
  const ULONGLONG deadline = GetTickCount64() + kQuitWaitMilliseconds;
  // Everything is served meanwhile: a Copy's hand-over sends the window
  // thread a message, and a failed save's box needs the window.
  while (SavesUnderWay() || CopiesUnderWay()) {
    if (program.quit == 0) return false;
    if (program.quit > 1 || GetTickCount64() >= deadline) return true;
    ServeNextEvent(50);
  }
  // A failure reported just as the last save ended is still on its way.
  ServeNextEvent(0);
  return program.quit > 0;
}

void Quit() {
  // The taskbar cleared and the power request let go before the windows go.
  EndEveryLongWork();
  CloseEveryWindow();
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
