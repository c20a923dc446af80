// What every tool window is given when it opens, and how it opens and closes.
#pragma once

#include <cstdint>
#include <string>

#include "formats/settings.h"
#include "ui/window.h"

struct ToolWindowContext {
  // The window it is centred over and that it disables while it is open.
  std::int32_t owner = -1;
  // The program's settings: the checks read the worker priority from them,
  // Options changes them.
  Settings* settings = nullptr;
};

// Opens tool window `number`, owned by the context's owner and centred over
// it, and keeps the context for the window's handlers. The caller builds its
// gadgets and then calls DisableToolWindowOwner. False when it cannot be made.
bool OpenToolWindow(std::int32_t number, std::int32_t width, std::int32_t height, const std::wstring& title,
                    WindowStyle style, const ToolWindowContext& context);
// The owner takes no input while the tool window is open, so no second tool
// window can be opened meanwhile.
void DisableToolWindowOwner(std::int32_t number);
// The context the open window `number` was given.
const ToolWindowContext& ToolContextOf(std::int32_t number);

// Closes tool window `number` and enables its owner again, in the order its
// handler calls for (see tool_window.cpp).
enum class CloseOrder { EnableOwnerFirst, CloseFirst };
void CloseToolWindow(std::int32_t number, CloseOrder order);
