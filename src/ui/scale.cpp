// Display scale: the DPI calls of newer Windows, loaded when present.
#include "ui/scale.h"

#include <cstring>
#include <vector>

#include "ui/gdi.h"

namespace {

using ui::kBaseDpi;

// Windows 10 (1607) and later; looked up at run time so the program still
// starts on Windows 7.
using GetDpiForWindowCall = UINT(WINAPI*)(HWND);
using GetDpiForSystemCall = UINT(WINAPI*)();
using AdjustWindowRectExForDpiCall = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

struct DpiCalls {
  GetDpiForWindowCall for_window = nullptr;
  GetDpiForSystemCall for_system = nullptr;
  AdjustWindowRectExForDpiCall adjust = nullptr;
};

bool g_older_windows = false;  // PretendOlderWindows

const DpiCalls& Calls() {
  static const DpiCalls none;
  if (g_older_windows) return none;
  static const DpiCalls calls = [] {
    DpiCalls found;
    if (HMODULE user = GetModuleHandleW(L"user32.dll")) {
      found.for_window = reinterpret_cast<GetDpiForWindowCall>(
          reinterpret_cast<void*>(GetProcAddress(user, "GetDpiForWindow")));
      found.for_system = reinterpret_cast<GetDpiForSystemCall>(
          reinterpret_cast<void*>(GetProcAddress(user, "GetDpiForSystem")));
      found.adjust = reinterpret_cast<AdjustWindowRectExForDpiCall>(
          reinterpret_cast<void*>(GetProcAddress(user, "AdjustWindowRectExForDpi")));
    }
    return found;
  }();
  return calls;
}

struct MadeFont {
  LOGFONTW look;
  HFONT font;
};

// Fonts made for a DPI live as long as the process: a handful at most.
std::vector<MadeFont>& MadeFonts() {
  static std::vector<MadeFont> fonts;
  return fonts;
}

}  // namespace

namespace ui {

std::int32_t SystemDpi() {
  static const std::int32_t dpi = [] {
    if (Calls().for_system) return static_cast<std::int32_t>(Calls().for_system());
    HDC screen = GetDC(nullptr);
    const int pixels = screen ? GetDeviceCaps(screen, LOGPIXELSY) : kBaseDpi;
    if (screen) ReleaseDC(nullptr, screen);
    return pixels > 0 ? pixels : kBaseDpi;
  }();
  return dpi;
}

void PretendOlderWindows(bool older) { g_older_windows = older; }

std::int32_t DpiOfWindow(HWND window) {
  const UINT dpi = window && Calls().for_window ? Calls().for_window(window) : 0;
  return dpi > 0 ? static_cast<std::int32_t>(dpi) : SystemDpi();
}

std::int32_t Scaled(std::int32_t value, std::int32_t dpi) { return MulDiv(value, dpi, kBaseDpi); }

std::int32_t Unscaled(std::int32_t value, std::int32_t dpi) { return MulDiv(value, kBaseDpi, dpi); }

RECT ScaledPlace(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height, std::int32_t dpi) {
  return RECT{Scaled(x, dpi), Scaled(y, dpi), Scaled(x + width, dpi), Scaled(y + height, dpi)};
}

void AdjustOuterRect(RECT* rect, DWORD style, DWORD extended, std::int32_t dpi, bool menu) {
  if (Calls().adjust)
    Calls().adjust(rect, style, menu, extended, static_cast<UINT>(dpi));
  else
    AdjustWindowRectEx(rect, style, menu, extended);
}

HFONT FontAtDpi(HFONT font, std::int32_t dpi) {
  if (dpi == SystemDpi()) return font;
  LOGFONTW look{};
  if (!font || GetObjectW(font, sizeof(look), &look) != sizeof(look)) return font;
  look.lfHeight = MulDiv(look.lfHeight, dpi, SystemDpi());
  look.lfWidth = MulDiv(look.lfWidth, dpi, SystemDpi());
  for (const MadeFont& made : MadeFonts())
    if (std::memcmp(&made.look, &look, sizeof(look)) == 0) return made.font;
  HFONT made = Counted(CreateFontIndirectW(&look));
  if (!made) return font;
  MadeFonts().push_back({look, made});
  return made;
}

HFONT GuiFont(std::int32_t dpi) { return FontAtDpi(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)), dpi); }

}  // namespace ui
