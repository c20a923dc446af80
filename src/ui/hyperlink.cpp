// Hyperlink gadgets: underlined text that opens nothing itself, only reports
// a click as a button does.
#include <windows.h>

#include <windowsx.h>

#include "ui/gadget.h"
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
  SetTextColor(dc, look.hovering ? look.hover : look.normal);
  DrawTextW(dc, text, -1, &client, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
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
      SetCapture(handle);
      return 0;
    case WM_LBUTTONUP: {
      bool was_pressed = look->pressed;
      look->pressed = false;
      ReleaseCapture();
      RECT client;
      GetClientRect(handle, &client);
      POINT at{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
      if (was_pressed && PtInRect(&client, at)) {
        // Reported like a button click, through the same path.
        HWND parent = GetParent(handle);
        SendMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(handle), BN_CLICKED),
                     reinterpret_cast<LPARAM>(handle));
      }
      return 0;
    }
    case WM_SETFONT: {
      // Its own underlined copy of the font it is given.
      LOGFONTW font{};
      if (!GetObjectW(reinterpret_cast<HFONT>(wparam), sizeof(font), &font)) return 0;
      font.lfUnderline = TRUE;
      if (look->font) DeleteObject(look->font);
      look->font = CreateFontIndirectW(&font);
      if (LOWORD(lparam)) InvalidateRect(handle, nullptr, TRUE);
      return 0;
    }
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(look->font);
    case WM_NCDESTROY:
      if (look->font) DeleteObject(look->font);
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
  HWND handle = MakeGadget(gadget, GadgetKind::HyperLink, kHyperLinkClass, text, 0, 0, x, y, width, height);
  if (!handle) return false;
  SetWindowLongPtrW(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new HyperLinkLook{normal, hover}));
  SendMessageW(handle, WM_SETFONT, reinterpret_cast<WPARAM>(GuiFont(WindowDpi(State().current_window))), TRUE);
  return true;
}

