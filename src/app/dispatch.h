// The dispatch table: which handler each event of each window reaches.
#pragma once

#include <cstdint>

#include "app/program.h"

using Action = void (*)();

inline constexpr std::int32_t kAnyNumber = -1000;
inline constexpr std::int32_t kAnyType = -1000;

struct DispatchRow {
  std::int32_t window;
  std::int32_t kind;
  std::int32_t number;  // gadget for control events, menu number for menu events
  std::int32_t type;    // control event type
  Action action;
};

// The row that `event` matches, or null: such an event is ignored.
const DispatchRow* FindDispatchRow(const CurrentEvent& event);
// Runs the matching row's action; false when the event is ignored.
bool DispatchEvent(const CurrentEvent& event);

// Small steps of the main window's own rows.
void RequestQuit();
void AddDroppedPathsOfEvent();
void OpenEmptyFileVerifierWindow();
