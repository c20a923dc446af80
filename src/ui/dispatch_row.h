// A row of the program's dispatch table: which handler an event reaches.
// Each window names its own rows.
#pragma once

#include <cstdint>

#include "ui/events.h"

using Action = void (*)();
// For a handler that acts on the event itself (its gadget, its dropped paths).
using EventAction = void (*)(const Event& event);

inline constexpr std::int32_t kAnyNumber = -1000;
inline constexpr std::int32_t kAnyType = -1000;

struct DispatchRow {
  std::int32_t window;
  std::int32_t kind;
  std::int32_t number;  // gadget for control events, menu number for menu events
  std::int32_t type;    // control event type
  Action action = nullptr;
  EventAction event_action = nullptr;
};

inline bool RowMatches(const DispatchRow& row, const Event& event) {
  if (row.window != event.window || row.kind != event.kind) return false;
  const std::int32_t number = event.kind == kEventMenu ? event.menu : event.gadget;
  if (row.number != kAnyNumber && row.number != number) return false;
  return row.type == kAnyType || row.type == event.type;
}

inline void RunRow(const DispatchRow& row, const Event& event) {
  if (row.event_action)
    row.event_action(event);
  else if (row.action)
    row.action();
}
