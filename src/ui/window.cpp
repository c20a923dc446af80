// Windows by number, and the start of the services on the window thread.
#include "ui/window.h"

#include <windows.h>

#include <commctrl.h>
#include <ole2.h>

#include <algorithm>
#include <memory>

#include "ui/events.h"
#include "ui/gadget.h"
#include "ui/gdi.h"
#include "ui/image.h"
#include "ui/scale.h"
#include "ui/ui_state.h"
#include "ui/write.h"

namespace ui {

namespace {

const wchar_t kWindowClass[] = L"SumwickWindow";

// The program icon at the window's scale; the class's icons where the
// program has none of its own.
void SetWindowIcons(HWND handle, std::int32_t dpi) {
  HICON big = ResourceIcon(kProgramIconResource, Scaled(32, dpi));
  HICON small_icon = ResourceIcon(kProgramIconResource, Scaled(16, dpi));
  if (!big) big = reinterpret_cast<HICON>(GetClassLongPtrW(handle, GCLP_HICON));
  if (!small_icon) small_icon = reinterpret_cast<HICON>(GetClassLongPtrW(handle, GCLP_HICONSM));
  if (big) SendMessageW(handle, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  if (small_icon) SendMessageW(handle, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small_icon));
}

}  // namespace

UiState& State() {
  static UiState state;
  return state;
}

WindowRecord* FindWindowRecord(std::int32_t number) {
  auto found = State().windows.find(number);
  return found == State().windows.end() ? nullptr : &found->second;
}

GadgetRecord* FindGadget(std::int32_t gadget) {
  auto found = State().gadgets.find(gadget);
  return found == State().gadgets.end() ? nullptr : &found->second;
}

std::int32_t WindowNumberOf(HWND handle) {
  if (!handle) return -1;
  for (auto& [number, record] : State().windows)
    if (record.handle == handle) return number;
  return -1;
}

std::int32_t GadgetNumberOf(HWND handle) {
  if (!handle) return -1;
  for (auto& [number, record] : State().gadgets)
    if (record.handle == handle) return number;
  return -1;
}

void PushEvent(Event event) { State().events.push_back(std::move(event)); }

void ChangeWindowDpi(std::int32_t number, std::int32_t dpi, const RECT& suggested) {
  WindowRecord* record = FindWindowRecord(number);
  if (!record || dpi <= 0) return;
  const std::int32_t old_dpi = record->dpi;
  {
    std::lock_guard<std::recursive_mutex> hold(State().lock);
    record->dpi = dpi;
  }
  for (auto& [gadget, control] : State().gadgets)
    if (control.window == number) RescaleGadget(control, old_dpi, dpi);
  RescaleBars(*record);
  SetWindowIcons(record->handle, dpi);
  SetWindowPos(record->handle, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(record->handle, nullptr, TRUE);
}

}  // namespace ui

using namespace ui;

bool StartUi() {
  UiState& state = State();
  if (state.window_thread != 0) return OnWindowThread();
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES |
                                                      ICC_TAB_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  OleInitialize(nullptr);
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = WindowProcedure;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = kWindowClass;
  window_class.hIcon =
      CountedIcon(static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE)));
  window_class.hIconSm = CountedIcon(static_cast<HICON>(LoadImageW(
      instance, MAKEINTRESOURCEW(1), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0)));
  RegisterClassExW(&window_class);
  if (!StartWriteQueue(instance)) return false;
  state.window_thread = GetCurrentThreadId();
  return true;
}

bool OnWindowThread() { return State().window_thread == GetCurrentThreadId(); }

bool OpenWindow(std::int32_t number, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                const std::wstring& title, WindowStyle style, std::int32_t owner) {
  if (!StartUi()) return false;
  if (IsWindowOpen(number)) CloseWindowNumber(number);
  DWORD window_style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  DWORD extended = WS_EX_CONTROLPARENT;
  if (style != WindowStyle::Main) {
    window_style = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN | (style == WindowStyle::ToolWithClose ? WS_SYSMENU : 0);
    extended |= WS_EX_TOOLWINDOW;
  }
  // Laid out for the owner's scale, or the system's; corrected below when
  // the window lands on a display of another.
  HWND owner_handle = WindowHandle(owner);
  std::int32_t dpi = owner_handle ? WindowDpi(owner) : SystemDpi();
  auto outer_size = [&](std::int32_t at_dpi) {
    RECT outer{0, 0, Scaled(width, at_dpi), Scaled(height, at_dpi)};
    AdjustOuterRect(&outer, window_style, extended, at_dpi, false);
    return SIZE{outer.right - outer.left, outer.bottom - outer.top};
  };
  SIZE outer = outer_size(dpi);
  x = Scaled(x, dpi);
  y = Scaled(y, dpi);
  if (style != WindowStyle::Main && owner_handle) {
    RECT owner_rect{};
    GetWindowRect(owner_handle, &owner_rect);
    x = std::max<std::int32_t>(0, owner_rect.left + (owner_rect.right - owner_rect.left - outer.cx) / 2);
    y = std::max<std::int32_t>(0, owner_rect.top + (owner_rect.bottom - owner_rect.top - outer.cy) / 2);
  }
  {
    std::lock_guard<std::recursive_mutex> hold(State().lock);
    WindowRecord& record = State().windows[number];
    record = WindowRecord{};
    record.owner = owner;
    record.dpi = dpi;
    record.close_box = style == WindowStyle::ToolWithClose;
  }
  HWND handle = CreateWindowExW(extended, kWindowClass, title.c_str(), window_style, x, y, outer.cx, outer.cy,
                                owner_handle, nullptr, GetModuleHandleW(nullptr), nullptr);
  std::lock_guard<std::recursive_mutex> hold(State().lock);
  if (!handle) {
    State().windows.erase(number);
    return false;
  }
  if (const std::int32_t actual = DpiOfWindow(handle); actual != dpi) {
    dpi = actual;
    outer = outer_size(dpi);
    SetWindowPos(handle, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  // The icons show in the caption, the task switcher and answers to queries.
  SetWindowIcons(handle, dpi);
  WindowRecord& record = State().windows[number];
  record.handle = handle;
  record.generation = ++State().last_generation;
  record.gadget_parent = handle;
  record.dpi = dpi;
  State().current_window = number;
  ShowWindow(handle, SW_SHOWNORMAL);
  // Focus cues as the system's keyboard-cue setting and the last input say;
  // the keyboard's first use shows them (keyboard.cpp).
  SendMessageW(handle, WM_CHANGEUISTATE, MAKEWPARAM(UIS_INITIALIZE, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
  UpdateWindow(handle);
  return true;
}

void CloseWindowNumber(std::int32_t number) {
  WindowRecord* record = FindWindowRecord(number);
  if (!record) return;
  HWND handle = record->handle;
  if (HWND owner = WindowHandle(record->owner)) SetActiveWindow(owner);
  {
    // Forget the numbers first: nothing may reach the dying controls.
    std::lock_guard<std::recursive_mutex> hold(State().lock);
    for (auto gadget = State().gadgets.begin(); gadget != State().gadgets.end();) {
      if (gadget->second.window == number) {
        ForgetAnnotations(gadget->second);
        gadget = State().gadgets.erase(gadget);
      } else {
        ++gadget;
      }
    }
  }
  HACCEL table = record->shortcut_table;
  HIMAGELIST images = record->toolbar_images;
  {
    std::lock_guard<std::recursive_mutex> hold(State().lock);
    record->generation = 0;
  }
  DestroyWindow(handle);
  if (table) DestroyAcceleratorTable(table);
  DestroyCountedImageList(images);
  std::lock_guard<std::recursive_mutex> hold(State().lock);
  State().windows.erase(number);
  if (State().current_window == number) State().current_window = -1;
}

void CloseEveryWindow() {
  std::vector<std::int32_t> open;
  for (const auto& [number, record] : State().windows) open.push_back(number);
  for (auto number = open.rbegin(); number != open.rend(); ++number) CloseWindowNumber(*number);
}

bool IsWindowOpen(std::int32_t number) {
  std::lock_guard<std::recursive_mutex> hold(State().lock);
  WindowRecord* record = FindWindowRecord(number);
  return record && record->handle;
}

namespace ui {

void ApplyWindowEnable(WindowRecord& window, bool enable) {
  EnableWindow(window.handle, enable);
  // Activated while disabled (a tool window closed before enabling it): the
  // focus it had comes back now.
  if (enable && GetActiveWindow() == window.handle && !IsChild(window.handle, GetFocus())) RestoreFocus(window);
}

}  // namespace ui

void EnableWindowNumber(std::int32_t number, bool enable) {
  Write write = WindowWrite(WriteKind::WindowEnable, number);
  write.enable = enable;
  Carry(std::move(write));
}

std::int32_t WindowClientHeight(std::int32_t number) {
  RECT client{};
  HWND handle = WindowHandle(number);
  return handle && GetClientRect(handle, &client) ? Unscaled(client.bottom, WindowDpi(number)) : 0;
}

std::int32_t WindowDpi(std::int32_t number) {
  std::lock_guard<std::recursive_mutex> hold(State().lock);
  WindowRecord* record = FindWindowRecord(number);
  return record ? record->dpi : kBaseDpi;
}

void FixMinimumSize(std::int32_t number) {
  WindowRecord* record = FindWindowRecord(number);
  RECT outer{}, client{};
  if (!record || !GetWindowRect(record->handle, &outer) || !GetClientRect(record->handle, &client)) return;
  record->min_size = {outer.right - outer.left, outer.bottom - outer.top};
  record->min_client = {client.right, client.bottom};
  record->min_with_menu = GetMenu(record->handle) != nullptr;
  record->min_size_dpi = record->dpi;
}

namespace ui {

SIZE MinimumSize(const WindowRecord& window) {
  if (window.dpi == window.min_size_dpi) return window.min_size;
  // The client area scales; the frame is the system's for the new scale.
  RECT outer{0, 0, MulDiv(window.min_client.cx, window.dpi, window.min_size_dpi),
             MulDiv(window.min_client.cy, window.dpi, window.min_size_dpi)};
  AdjustOuterRect(&outer, static_cast<DWORD>(GetWindowLongW(window.handle, GWL_STYLE)),
                  static_cast<DWORD>(GetWindowLongW(window.handle, GWL_EXSTYLE)), window.dpi, window.min_with_menu);
  return SIZE{outer.right - outer.left, outer.bottom - outer.top};
}

}  // namespace ui

void SetCurrentWindow(std::int32_t number) {
  std::lock_guard<std::recursive_mutex> hold(State().lock);
  if (WindowRecord* record = FindWindowRecord(number)) {
    State().current_window = number;
    record->gadget_parent = record->handle;
  }
}

HWND WindowHandle(std::int32_t number) {
  std::lock_guard<std::recursive_mutex> hold(State().lock);
  WindowRecord* record = FindWindowRecord(number);
  return record ? record->handle : nullptr;
}
