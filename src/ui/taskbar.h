// A window's button on the taskbar: a progress bar across it and a flash.
// Window thread only.
#pragma once

#include <cstdint>

// Shows `done` of `total` across the button of window `number`, an unmeasured
// bar when `total` is 0. Without the taskbar's interface yet (the shell never
// announced the button, as some shells never do) it is taken now; without it
// at all nothing is shown.
void ShowTaskbarProgress(std::int32_t number, std::uint64_t done, std::uint64_t total);
// No progress on the button.
void ClearTaskbarProgress(std::int32_t number);
// Flashes the button until the window is brought forward; nothing happens
// while the program is in front.
void FlashTaskbarButton(std::int32_t number);
// Whether the window in front is one of this program's (a tool window, or a
// file requester on a thread of its own).
bool ProgramInFront();
