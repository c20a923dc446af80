// The one event queue of the program: every window's messages become events
// here, so handlers never see raw window messages.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

inline constexpr std::int32_t kEventControl = 13100;  // a control reported an action (gadget, type)
inline constexpr std::int32_t kEventMenu = 13101;     // menu item, toolbar button or shortcut (menu number)
inline constexpr std::int32_t kEventClose = 16;       // close box or system menu Close; closes nothing
inline constexpr std::int32_t kEventSize = 5;         // client size changed (not on minimize)
inline constexpr std::int32_t kEventDrop = 13105;     // files dropped; the event holds their paths

inline constexpr std::int32_t kEventTypeClick = 0;
inline constexpr std::int32_t kEventTypeRightClick = 1;
inline constexpr std::int32_t kEventTypeChange = 768;

inline constexpr std::int32_t kWaitForever = -1;

struct Event {
  std::int32_t kind = 0;
  std::int32_t window = -1;
  std::int32_t type = 0;     // control events: kEventType...
  std::int32_t gadget = -1;  // control events: the gadget number, else -1
  std::int32_t menu = -1;    // menu events: the menu number, else -1
  std::vector<std::wstring> paths;  // drop events: the dropped paths, in order
  // A right click that the keyboard made (Shift+F10, the context-menu key):
  // where, in screen pixels, its menu belongs. A mouse's is at the pointer.
  bool placed = false;
  std::int32_t x = 0;
  std::int32_t y = 0;
};

// Window thread only. Serves every window of the program until an event is
// there, for at most `timeout_ms` (kWaitForever: no limit; 0: only what is
// already queued). Returns the event's kind, or 0 when none came in time.
// Plain Tab and Shift+Tab move the focus within the active window; shortcuts
// of the window that holds the focus become menu events.
std::int32_t WaitEvent(std::int32_t timeout_ms = kWaitForever);

// The event WaitEvent returned last; unchanged until the next WaitEvent.
const Event& TakenEvent();

// Drops every event not yet taken (tests use it to start from a clean queue).
void DiscardEvents();
