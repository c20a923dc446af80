#include "ui_test_support.h"

#include "ui/events.h"

std::vector<SeenEvent> ServeFor(std::int32_t ms) {
  std::vector<SeenEvent> seen;
  ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(ms);
  for (ULONGLONG now = GetTickCount64(); now < deadline; now = GetTickCount64()) {
    std::int32_t kind = WaitEvent(static_cast<std::int32_t>(deadline - now));
    if (kind == 0) break;
    seen.push_back({kind, EventWindow(), EventGadget(), EventMenu(), EventType(), EventDropText()});
  }
  return seen;
}

bool ServeUntil(const std::function<bool()>& done, std::int32_t ms) {
  ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(ms);
  while (!done()) {
    if (GetTickCount64() >= deadline) return false;
    WaitEvent(10);
  }
  return true;
}

std::wstring WindowText(HWND handle) {
  wchar_t text[512] = L"";
  GetWindowTextW(handle, text, 512);
  return text;
}

std::wstring ClassName(HWND handle) {
  wchar_t name[128] = L"";
  GetClassNameW(handle, name, 128);
  return name;
}

std::vector<SeenEvent> PressKey(HWND target, WORD key, bool control, bool shift) {
  // Shortcut matching reads the modifier state of this thread's keyboard.
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_CONTROL] = control ? 0x80 : 0;
  keys[VK_SHIFT] = shift ? 0x80 : 0;
  SetKeyboardState(keys);
  PostMessageW(target, WM_KEYDOWN, key, 1);
  PostMessageW(target, WM_KEYUP, key, 0xC0000001);
  std::vector<SeenEvent> seen = ServeFor(100);
  keys[VK_CONTROL] = 0;
  keys[VK_SHIFT] = 0;
  SetKeyboardState(keys);
  return seen;
}
