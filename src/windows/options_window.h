// The Options window (window 1).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "ui/dispatch_row.h"
#include "windows/tool_window.h"

inline constexpr std::int32_t kOptionsWindow = 1;

// Gadgets (numbers unique across all windows; app/numbers.cpp checks).
inline constexpr std::int32_t kOptionsOkButton = 1;
inline constexpr std::int32_t kOptionsCancelButton = 2;
inline constexpr std::int32_t kOptionsAutoCheckBox = 3;
inline constexpr std::int32_t kOptionsPanel = 4;
inline constexpr std::int32_t kOptionsThreadHigherBox = 5;
inline constexpr std::array<std::int32_t, 5> kOptionsGadgets{kOptionsOkButton, kOptionsCancelButton, kOptionsAutoCheckBox, kOptionsPanel, kOptionsThreadHigherBox};

// Menu event 3: opens the window over its owner, then disables the owner.
void OpenOptionsWindow(const ToolWindowContext& context);
// Control events of window 1: OK saves the settings and reads them back into
// the context's settings; Cancel only closes.
void OnOptionsWindowEvent(const Event& event);
// The window's rows of the dispatch table.
const std::vector<DispatchRow>& OptionsWindowRows();
