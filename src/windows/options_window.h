// The Options window (window 1).
#pragma once

#include <cstdint>
#include <vector>

#include "ui/dispatch_row.h"
#include "windows/tool_window.h"

inline constexpr std::int32_t kOptionsWindow = 1;

// Menu event 3: opens the window over its owner, then disables the owner.
void OpenOptionsWindow(const ToolWindowContext& context);
// Control events of window 1: OK saves the settings and reads them back into
// the context's settings; Cancel only closes.
void OnOptionsWindowEvent(const Event& event);
// The window's rows of the dispatch table.
const std::vector<DispatchRow>& OptionsWindowRows();
