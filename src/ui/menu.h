// Menu bars, pop-up menus and keyboard shortcuts. Window thread only. Items,
// toolbar buttons and shortcuts all raise menu events with the item's number.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

inline constexpr std::int32_t kMenuRule = -1;  // a separator line

struct MenuEntry {
  std::int32_t number = kMenuRule;
  std::wstring text;  // a TAB puts what follows right-aligned, as the shortcut hint
};

struct MenuTitle {
  std::wstring title;
  std::vector<MenuEntry> entries;
};

bool SetMenuBar(std::int32_t window, const std::vector<MenuTitle>& titles);
bool CreatePopupMenuNumber(std::int32_t popup, const std::vector<MenuEntry>& entries);
// Shows the pop-up menu with its top-left corner at screen (x, y); its items
// raise menu events of `window`.
void ShowPopupMenu(std::int32_t popup, std::int32_t window, std::int32_t x, std::int32_t y);
void MousePosition(std::int32_t* x, std::int32_t* y);

enum ShortcutKeys : std::uint32_t { kShortcutPlain = 0, kShortcutControl = 1, kShortcutShift = 2, kShortcutAlt = 4 };
// While `window` is active, `modifiers` + virtual key `key` raises menu event `number`.
bool AddShortcut(std::int32_t window, std::uint32_t modifiers, std::int32_t key, std::int32_t number);
