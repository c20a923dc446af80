// The toolbar and the status bar of a window (at most one of each per window).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Window thread only: building.
// A flat toolbar with tooltips at the top of the window.
bool CreateToolbar(std::int32_t window);
// A push button showing image `image` (see image.h) that raises menu event `number`.
bool AddToolbarButton(std::int32_t window, std::int32_t number, std::int32_t image);
bool AddToolbarSeparator(std::int32_t window);
// Caption under the icon: the button becomes the caption's width in the
// toolbar's font plus 10 pixels wide.
bool SetToolbarCaption(std::int32_t window, std::int32_t number, const std::wstring& caption);
bool SetToolbarTooltip(std::int32_t window, std::int32_t number, const std::wstring& text);
std::int32_t ToolbarHeight(std::int32_t window);

// Fields of fixed widths from the left; height at least `min_height`.
bool CreateStatusBar(std::int32_t window, const std::vector<std::int32_t>& widths, std::int32_t min_height);
// A smooth progress bar, 0 to 100, kept inside `field`.
bool AddStatusProgress(std::int32_t window, std::int32_t field);
std::int32_t StatusBarHeight(std::int32_t window);
// Window thread: `gadget` spans the window's client area from the toolbar's
// foot to the status bar's top, to the pixel (the same sums in 96-DPI units
// would round at other scales).
void FillBetweenBars(std::int32_t window, std::int32_t gadget);

// Safe from any thread (see gadget.h).
void EnableToolbarButton(std::int32_t window, std::int32_t number, bool enable);
void SetStatusText(std::int32_t window, std::int32_t field, const std::wstring& text);
// Values above 100 show as a full bar.
void SetStatusProgress(std::int32_t window, std::int32_t percent);
