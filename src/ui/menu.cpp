// Menu bars, pop-up menus and per-window shortcuts.
#include "ui/menu.h"

#include <map>

#include <windows.h>

#include "ui/ui_state.h"
#include "ui/window.h"

namespace {

using namespace ui;

std::map<std::int32_t, HMENU>& PopupMenus() {
  static std::map<std::int32_t, HMENU> menus;
  return menus;
}

bool FillMenu(HMENU menu, const std::vector<MenuEntry>& entries) {
  for (const MenuEntry& entry : entries) {
    bool added = entry.number == kMenuRule
                     ? AppendMenuW(menu, MF_SEPARATOR, 0, nullptr)
                     : AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(entry.number), entry.text.c_str());
    if (!added) return false;
  }
  return true;
}

}  // namespace

bool SetMenuBar(std::int32_t window, const std::vector<MenuTitle>& titles) {
  HWND handle = WindowHandle(window);
  if (!handle) return false;
  HMENU bar = CreateMenu();
  for (const MenuTitle& title : titles) {
    HMENU column = CreatePopupMenu();
    if (!FillMenu(column, title.entries) ||
        !AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(column), title.title.c_str())) {
      DestroyMenu(column);
      DestroyMenu(bar);
      return false;
    }
  }
  HMENU old = GetMenu(handle);
  if (!SetMenu(handle, bar)) {
    DestroyMenu(bar);
    return false;
  }
  if (old) DestroyMenu(old);
  DrawMenuBar(handle);
  return true;
}

bool CreatePopupMenuNumber(std::int32_t popup, const std::vector<MenuEntry>& entries) {
  HMENU menu = CreatePopupMenu();
  if (!FillMenu(menu, entries)) {
    DestroyMenu(menu);
    return false;
  }
  HMENU& slot = PopupMenus()[popup];
  if (slot) DestroyMenu(slot);
  slot = menu;
  return true;
}

void ShowPopupMenu(std::int32_t popup, std::int32_t window, std::int32_t x, std::int32_t y) {
  auto menu = PopupMenus().find(popup);
  HWND handle = WindowHandle(window);
  if (menu == PopupMenus().end() || !handle) return;
  // The chosen item arrives as WM_COMMAND, which becomes the menu event. The
  // owner must be in front, or the menu would not close on a click elsewhere.
  SetForegroundWindow(handle);
  TrackPopupMenu(menu->second, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, x, y, 0, handle, nullptr);
  PostMessageW(handle, WM_NULL, 0, 0);
}

void MousePosition(std::int32_t* x, std::int32_t* y) {
  POINT at{0, 0};
  GetCursorPos(&at);
  *x = at.x;
  *y = at.y;
}

bool AddShortcut(std::int32_t window, std::uint32_t modifiers, std::int32_t key, std::int32_t number) {
  WindowRecord* record = FindWindowRecord(window);
  if (!record) return false;
  BYTE flags = FVIRTKEY;
  if (modifiers & kShortcutControl) flags |= FCONTROL;
  if (modifiers & kShortcutShift) flags |= FSHIFT;
  if (modifiers & kShortcutAlt) flags |= FALT;
  record->shortcuts.push_back(ACCEL{flags, static_cast<WORD>(key), static_cast<WORD>(number)});
  HACCEL table = CreateAcceleratorTableW(record->shortcuts.data(), static_cast<int>(record->shortcuts.size()));
  if (!table) {
    record->shortcuts.pop_back();
    return false;
  }
  if (record->shortcut_table) DestroyAcceleratorTable(record->shortcut_table);
  record->shortcut_table = table;
  return true;
}
