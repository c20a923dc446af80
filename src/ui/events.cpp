// The event loop's wait: serves the message queue until an event is queued.
#include "ui/events.h"

#include <windows.h>

#include "ui/ui_state.h"
#include "ui/write.h"

namespace {

using namespace ui;

// Shortcuts of the window holding the focus, then the keys a dialog serves
// (Tab, Enter, Escape), come before the controls see the key.
bool Intercept(MSG& message) {
  HWND root = GetAncestor(message.hwnd, GA_ROOT);
  std::int32_t window = WindowNumberOf(root);
  if (window < 0) return false;
  WindowRecord* record = FindWindowRecord(window);
  if (record->shortcut_table && TranslateAcceleratorW(root, record->shortcut_table, &message)) return true;
  return HandleDialogKey(message);
}

// Input that may have moved the focus.
bool MayMoveFocus(UINT message) {
  return message == WM_KEYDOWN || message == WM_SYSKEYDOWN || message == WM_LBUTTONDOWN ||
         message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN;
}

void Serve(MSG& message) {
  if (Intercept(message)) return;
  TranslateMessage(&message);
  DispatchMessageW(&message);
  if (!MayMoveFocus(message.message)) return;
  const HWND root = GetAncestor(message.hwnd, GA_ROOT);
  if (WindowNumberOf(root) >= 0) NoteFocus(root);
}

}  // namespace

std::int32_t WaitEvent(std::int32_t timeout_ms) {
  UiState& state = State();
  ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeout_ms < 0 ? 0 : timeout_ms);
  MSG message;
  // Workers' writes are delivered here too, not only when their wake-up
  // message arrives: that post may have been refused.
  HANDLE writes = WritesWaiting();
  while (true) {
    DeliverWrites();
    if (!state.events.empty()) break;
    if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return 0;
      Serve(message);
      continue;
    }
    DWORD wait = INFINITE;
    if (timeout_ms >= 0) {
      ULONGLONG now = GetTickCount64();
      if (now >= deadline) return 0;
      wait = static_cast<DWORD>(deadline - now);
    }
    MsgWaitForMultipleObjectsEx(writes ? 1 : 0, writes ? &writes : nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
  state.current = std::move(state.events.front());
  state.events.pop_front();
  return state.current.kind;
}

const Event& TakenEvent() { return State().current; }

void DiscardEvents() { State().events.clear(); }
