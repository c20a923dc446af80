// What a list gadget with a model shows: the program owns the rows and the
// control asks for each cell and tick as it draws, so nothing is kept twice.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// Every member may be called on the window thread at any time while the
// gadget exists, and from other threads through the list reads of list.h; the
// owner guards its rows. A row past the end reads as empty and unticked.
struct ListModel {
  std::function<std::int32_t()> count;
  std::function<std::wstring(std::int32_t row, std::int32_t column)> cell;
  // Both empty for a list without tick boxes.
  std::function<bool(std::int32_t row)> ticked;
  // The user ticked or unticked the row (a click on its tick box, or space).
  std::function<void(std::int32_t row, bool ticked)> set_ticked;
};
