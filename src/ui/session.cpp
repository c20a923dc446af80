#include "ui/session.h"

#include <windows.h>

#include "ui/ui_state.h"
#include "ui/window.h"

namespace ui {

namespace {

SessionAnswer& Answer() {
  static SessionAnswer answer;
  return answer;
}

}  // namespace

bool AnsweredMayEnd() { return !Answer().may_end || Answer().may_end(); }

void AnsweredEnding() {
  // Every top-level window is told; the first does what there is to do.
  static bool ending = false;
  if (ending || !Answer().ending) return;
  ending = true;
  Answer().ending();
  ending = false;
}

}  // namespace ui

void AnswerSessionEnd(const SessionAnswer& answer) { ui::Answer() = answer; }

void BlockSessionEnd(std::int32_t number, const wchar_t* reason) {
  if (const HWND window = WindowHandle(number)) ShutdownBlockReasonCreate(window, reason);
}

void AllowSessionEnd(std::int32_t number) {
  if (const HWND window = WindowHandle(number)) ShutdownBlockReasonDestroy(window);
}
