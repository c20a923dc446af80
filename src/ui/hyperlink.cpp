// Hyperlink gadgets: underlined text that opens nothing itself, only reports
// a click as a button does.
#include <windows.h>

#include <windowsx.h>

#include <algorithm>

#include "ui/gadget.h"
#include "ui/gdi.h"
#include "ui/scale.h"
#include "ui/ui_state.h"
#include "ui/window.h"

namespace {

using namespace ui;

const wchar_t kHyperLinkClass[] = L"SumwickHyperLink";

struct HyperLinkLook {
  COLORREF normal;
  COLORREF hover;
  bool hovering = false;
  bool pressed = false;
  HFONT font = nullptr;
};

bool HighContrastOn() {
  HIGHCONTRASTW contrast{};
  contrast.cbSize = sizeof(contrast);
  return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
         (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

HighContrastQuery g_high_contrast = HighContrastOn;

// In high contrast the scheme's own link colour; the fixed blues could
// vanish on its face.
COLORREF LinkColour(const HyperLinkLook& look) {
  if (g_high_contrast()) return GetSysColor(COLOR_HOTLIGHT);
  return look.hovering ? look.hover : look.normal;
}

void PaintHyperLink(HWND handle, HyperLinkLook& look) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(handle, &paint);
  RECT client;
  GetClientRect(handle, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  wchar_t text[1024] = L"";
  GetWindowTextW(handle, text, 1024);
  HGDIOBJ old_font = SelectObject(dc, look.font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, LinkColour(look));
  const UINT format = DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX;
  DrawTextW(dc, text, -1, &client, format);
  // The focus cue, unless the keyboard has not been used in this window yet
  // and the system hides cues until it is.
  if (GetFocus() == handle && !(SendMessageW(handle, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS)) {
    RECT around = client;
    DrawTextW(dc, text, -1, &around, format | DT_CALCRECT);
    around.right = std::min(around.right + 1, client.right);
    around.bottom = std::min(around.bottom, client.bottom);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    DrawFocusRect(dc, &around);
  }
  SelectObject(dc, old_font);
  EndPaint(handle, &paint);
}

LRESULT CALLBACK HyperLinkProcedure(HWND handle, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* look = reinterpret_cast<HyperLinkLook*>(GetWindowLongPtrW(handle, GWLP_USERDATA));
  if (!look) return DefWindowProcW(handle, message, wparam, lparam);
  switch (message) {
    case WM_PAINT:
      PaintHyperLink(handle, *look);
      return 0;
    case WM_SETCURSOR: {
      HCURSOR hand = LoadCursorW(nullptr, IDC_HAND);
      SetCursor(hand ? hand : LoadCursorW(nullptr, IDC_ARROW));
      return TRUE;
    }
    case WM_MOUSEMOVE:
      if (!look->hovering) {
        look->hovering = true;
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, handle, 0};
        TrackMouseEvent(&track);
        InvalidateRect(handle, nullptr, FALSE);
      }
      return 0;
    case WM_MOUSELEAVE:
      look->hovering = false;
      InvalidateRect(handle, nullptr, FALSE);
      return 0;
    case WM_LBUTTONDOWN:
      look->pressed = true;
      SetFocus(handle);
      SetCapture(handle);
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
      InvalidateRect(handle, nullptr, TRUE);
      return 0;
    case WM_UPDATEUISTATE:
      InvalidateRect(handle, nullptr, TRUE);
      return DefWindowProcW(handle, message, wparam, lparam);
    case WM_GETOBJECT:
      if (const LRESULT answer = AnswerGetObject(handle, wparam, lparam)) return answer;
      return DefWindowProcW(handle, message, wparam, lparam);
    case WM_LBUTTONUP: {
      bool was_pressed = look->pressed;
      look->pressed = false;
      ReleaseCapture();
      RECT client;
      GetClientRect(handle, &client);
      POINT at{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
      // Reported like a button click, through the same path as the keyboard's.
      if (was_pressed && PtInRect(&client, at)) RaiseClick(handle);
      return 0;
    }
    case WM_SETFONT: {
      // Its own underlined copy of the font it is given.
      LOGFONTW font{};
      if (!GetObjectW(reinterpret_cast<HFONT>(wparam), sizeof(font), &font)) return 0;
      font.lfUnderline = TRUE;
      DeleteCounted(look->font);
      look->font = Counted(CreateFontIndirectW(&font));
      if (LOWORD(lparam)) InvalidateRect(handle, nullptr, TRUE);
      return 0;
    }
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(look->font);
    case WM_NCDESTROY:
      DeleteCounted(look->font);
      delete look;
      SetWindowLongPtrW(handle, GWLP_USERDATA, 0);
      return 0;
    default:
      return DefWindowProcW(handle, message, wparam, lparam);
  }
}

}  // namespace

bool HyperLinkGadget(std::int32_t gadget, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                     const std::wstring& text, COLORREF normal, COLORREF hover) {
  if (!StartUi()) return false;
  static bool registered = false;
  if (!registered) {
    WNDCLASSW link_class{};
    link_class.lpfnWndProc = HyperLinkProcedure;
    link_class.hInstance = GetModuleHandleW(nullptr);
    link_class.lpszClassName = kHyperLinkClass;
    registered = RegisterClassW(&link_class) != 0;
  }
  HWND handle =
      MakeGadget(gadget, GadgetKind::HyperLink, kHyperLinkClass, text, WS_TABSTOP, 0, x, y, width, height);
  if (!handle) return false;
  SetWindowLongPtrW(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new HyperLinkLook{normal, hover}));
  SendMessageW(handle, WM_SETFONT, reinterpret_cast<WPARAM>(GuiFont(WindowDpi(State().current_window))), TRUE);
  return true;
}


HighContrastQuery ReplaceHighContrastQuery(HighContrastQuery query) {
  HighContrastQuery before = g_high_contrast;
  g_high_contrast = query ? query : HighContrastOn;
  return before;
}
