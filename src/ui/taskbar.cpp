// The taskbar's interface, taken when the shell announces a window's button
// ("TaskbarButtonCreated": once it exists, and again after the shell
// restarts), or when progress is first shown where it never does.
#include "ui/taskbar.h"

#include <windows.h>

#include <shobjidl.h>

#include "ui/ui_state.h"
#include "ui/window.h"

namespace ui {

namespace {

constexpr GUID kClsidTaskbarList = {0x56fdf344, 0xfd6d, 0x11d0, {0x95, 0x8a, 0x00, 0x60, 0x97, 0xc9, 0xa0, 0x90}};
constexpr GUID kIidTaskbarList3 = {0xea1afb91, 0x9e28, 0x4b86, {0x90, 0xe9, 0x9e, 0x9f, 0x8a, 0x5e, 0xef, 0xaf}};

// What the button shows, kept to show it again on a button made anew.
// Window thread only.
struct TaskbarButton {
  ITaskbarList3* list = nullptr;
  bool taken = false;  // the interface was asked for: a failure is not retried
  HWND shown_on = nullptr;
  TBPFLAG state = TBPF_NOPROGRESS;
  ULONGLONG done = 0;
  ULONGLONG total = 0;
};

TaskbarButton& Button() {
  static TaskbarButton button;
  return button;
}

void Take(TaskbarButton& button) {
  button.taken = true;
  ITaskbarList3* list = nullptr;
  if (FAILED(CoCreateInstance(kClsidTaskbarList, nullptr, CLSCTX_INPROC_SERVER, kIidTaskbarList3,
                              reinterpret_cast<void**>(&list))))
    return;
  if (FAILED(list->HrInit())) {
    list->Release();
    return;
  }
  button.list = list;
}

void Let(TaskbarButton& button) {
  if (button.list) button.list->Release();
  button.list = nullptr;
}

void Apply(const TaskbarButton& button) {
  if (!button.list || !button.shown_on) return;
  button.list->SetProgressState(button.shown_on, button.state);
  if (button.state == TBPF_NORMAL) button.list->SetProgressValue(button.shown_on, button.done, button.total);
}

}  // namespace

UINT TaskbarButtonCreatedMessage() {
  static const UINT message = RegisterWindowMessageW(L"TaskbarButtonCreated");
  return message;
}

void NoteTaskbarButtonCreated(HWND window) {
  TaskbarButton& button = Button();
  // The shell may have restarted: its old interface is dead.
  Let(button);
  Take(button);
  if (button.shown_on == window) Apply(button);
}

void ForgetTaskbarButton(HWND window) {
  TaskbarButton& button = Button();
  if (button.shown_on != window) return;
  if (button.list) button.list->SetProgressState(window, TBPF_NOPROGRESS);
  button.shown_on = nullptr;
  button.state = TBPF_NOPROGRESS;
}

}  // namespace ui

using namespace ui;

void ShowTaskbarProgress(std::int32_t number, std::uint64_t done, std::uint64_t total) {
  TaskbarButton& button = Button();
  const HWND window = WindowHandle(number);
  if (!window) return;
  if (!button.taken) Take(button);
  button.shown_on = window;
  button.state = total == 0 ? TBPF_INDETERMINATE : TBPF_NORMAL;
  button.done = done;
  button.total = total;
  Apply(button);
}

void ClearTaskbarProgress(std::int32_t number) {
  if (const HWND window = WindowHandle(number)) ForgetTaskbarButton(window);
}

void FlashTaskbarButton(std::int32_t number) {
  const HWND window = WindowHandle(number);
  if (!window || ProgramInFront()) return;
  FLASHWINFO flash{};
  flash.cbSize = sizeof(flash);
  flash.hwnd = window;
  flash.dwFlags = FLASHW_TRAY | FLASHW_TIMERNOFG;
  FlashWindowEx(&flash);
}

bool ProgramInFront() {
  const HWND front = GetForegroundWindow();
  DWORD process = 0;
  if (front) GetWindowThreadProcessId(front, &process);
  return front && process == GetCurrentProcessId();
}
