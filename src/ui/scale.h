// Internal: display scale. Every size the services are given or report is in
// 96-DPI units; a window is laid out for its own DPI, and these turn one into
// the other. Not for use outside src/ui/.
#pragma once

#include <cstdint>

#include <windows.h>

namespace ui {

inline constexpr std::int32_t kBaseDpi = 96;

// The DPI the system's fonts and metrics are made for (the primary display's
// at sign-in). Windows 7 and 8 know no other.
std::int32_t SystemDpi();
// The DPI of the display the window is on, where Windows tells it (10 and
// later), else the system's.
std::int32_t DpiOfWindow(HWND window);
// For tests: behave as on Windows 7 and 8, where those calls are missing, or
// as before. Window thread only.
void PretendOlderWindows(bool older);

// 96-DPI units to pixels at `dpi`, and back; rounded to the nearest.
std::int32_t Scaled(std::int32_t value, std::int32_t dpi);
std::int32_t Unscaled(std::int32_t value, std::int32_t dpi);
// A rectangle given as x, y, width, height in 96-DPI units, as edges in pixels.
// Its edges are scaled, not its size, so neighbours stay neighbours.
RECT ScaledPlace(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height, std::int32_t dpi);

// AdjustWindowRectEx with the frame, caption and menu bar of `dpi`, where
// Windows can.
void AdjustOuterRect(RECT* rect, DWORD style, DWORD extended, std::int32_t dpi, bool menu);

// `font`, made for the system's DPI, at `dpi`: itself at the system's DPI,
// else a copy of its size times dpi / system DPI, made once per size.
HFONT FontAtDpi(HFONT font, std::int32_t dpi);
// The controls' font, the default GUI font, at `dpi`.
HFONT GuiFont(std::int32_t dpi);

// Image `image` (image.h) at `dpi`: its size scaled, taken from the icon
// resource's own entry of that size where it has one. Null when none is loaded.
HICON ImageIconAt(std::int32_t image, std::int32_t dpi);
// Icon resource `resource` of the program at `pixels` square, kept until
// FreeImages; null when the program has no such icon.
HICON ResourceIcon(std::int32_t resource, std::int32_t pixels);

}  // namespace ui
