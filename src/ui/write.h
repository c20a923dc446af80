// Internal: a change to a window or a control, and how it reaches the window
// thread. Not for use outside src/ui/.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include <windows.h>

#include "ui/ui_state.h"

namespace ui {

enum class WriteKind {
  GadgetText, GadgetState, GadgetEnable, GadgetResize,
  ToolbarEnable, StatusText, StatusProgress, WindowEnable, WindowCall,
};

// One write. Each kind reads only the fields named beside it.
struct Write {
  WriteKind kind = WriteKind::GadgetText;
  std::int32_t window = -1;      // the target window; for gadget writes, filled in from the gadget
  std::int32_t gadget = -1;      // -1 for window-level writes
  std::uint32_t generation = 0;  // the target window's opening the write was made for
  std::int32_t state = 0;        // GadgetState: tick, or the row to select
  bool enable = false;           // GadgetEnable, ToolbarEnable, WindowEnable
  std::int32_t button = 0;       // ToolbarEnable: the button's menu number
  std::int32_t field = 0;        // StatusText
  std::int32_t percent = 0;      // StatusProgress
  RECT place{};                  // GadgetResize: left, top, width (right), height (bottom)
  std::wstring text;             // GadgetText, StatusText
  std::function<void()> call;    // WindowCall: run on the window thread
};

// A write to a gadget, or to a window.
inline Write GadgetWrite(WriteKind kind, std::int32_t gadget) {
  Write write;
  write.kind = kind;
  write.gadget = gadget;
  return write;
}
inline Write WindowWrite(WriteKind kind, std::int32_t window) {
  Write write;
  write.kind = kind;
  write.window = window;
  return write;
}

// Applies `write` now on the window thread, or queues it there.
void Carry(Write write);
// Window thread: applies a write made on this thread or carried here.
void ApplyWrite(const Write& write, bool carried);
// Per-kind appliers, in the files of their controls.
void ApplyGadgetWrite(const Write& write, GadgetRecord& gadget);
void ApplyListWrite(const Write& write, GadgetRecord& gadget);
void ApplyBarWrite(const Write& write, WindowRecord& window);
void ApplyWindowEnable(WindowRecord& window, bool enable);

// Window thread: the queue's wake-up window and event, made once.
bool StartWriteQueue(HINSTANCE instance);
// Window thread: applies the next writes waiting in the queue, in the order
// made, a turn's worth at a time; when more wait, the thread is woken again.
void DeliverWrites();
// The queue's hidden window; it also serves as the clipboard's owner.
HWND PostOffice();
// Signalled whenever writes are waiting, posted or not: the event loop waits on it.
HANDLE WritesWaiting();

}  // namespace ui
