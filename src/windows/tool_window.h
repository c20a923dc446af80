// What every tool window is given when it opens.
#pragma once

#include <cstdint>

#include "formats/settings.h"

struct ToolWindowContext {
  // The window it is centred over and that it disables while it is open.
  std::int32_t owner = -1;
  // The program's settings: the checks read the worker priority from them,
  // Options changes them.
  Settings* settings = nullptr;
};
