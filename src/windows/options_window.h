// The Options window (window 1).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "ui/dispatch_row.h"
#include "windows/tool_window.h"

inline constexpr std::int32_t kOptionsWindow = 1;

// The gadgets of Options, numbered apart from every other window's (app/numbers.cpp).
inline constexpr std::int32_t kOptionsOkButton = 1, kOptionsCancelButton = 2, kOptionsAutoCheckBox = 3,
                              kOptionsPanel = 4, kOptionsThreadHigherBox = 5;
inline constexpr std::array<std::int32_t, 5> kOptionsGadgets{
    kOptionsOkButton, kOptionsCancelButton, kOptionsAutoCheckBox, kOptionsPanel, kOptionsThreadHigherBox};

// Menu event 3: opens the window over its owner, then disables the owner.
void OpenOptionsWindow(const ToolWindowContext& context);
// Control events of window 1: OK saves the settings and reads them back into
// the context's settings; Cancel only closes.
void OnOptionsWindowEvent(const Event& event);
// The window's rows of the dispatch table.
const std::vector<DispatchRow>& OptionsWindowRows();
