// Gadget creation and the operations shared by all control kinds.
#include "ui/gadget.h"

#include <windows.h>

#include <commctrl.h>
#include <windowsx.h>

#include "ui/image.h"
#include "ui/ui_state.h"
#include "ui/window.h"

namespace {

using namespace ui;

const wchar_t kHyperLinkClass[] = L"SumwickHyperLink";

// Control ids stay clear of IDOK and IDCANCEL, which the system treats specially.
constexpr std::int32_t kControlIdBase = 1000;

struct HyperLinkLook {
  COLORREF normal;
  COLORREF hover;
  bool hovering = false;
  bool pressed = false;
  HFONT font = nullptr;
};

// Panels are tab controls: what their children report goes on to the window.
LRESULT CALLBACK PanelProcedure(HWND handle, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
      return SendMessageW(GetAncestor(handle, GA_ROOT), message, wparam, lparam);
    default:
      return DefSubclassProc(handle, message, wparam, lparam);
  }
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
  COLORREF normal = look.normal;
  if (GadgetRecord* record = FindGadget(GadgetNumberOf(handle)); record && record->front != CLR_INVALID)
    normal = record->front;  // SetGadgetColor's front colour replaces the normal one
  SetTextColor(dc, look.hovering ? look.hover : normal);
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
    case WM_NCDESTROY:
      if (look->font) DeleteObject(look->font);
      delete look;
      SetWindowLongPtrW(handle, GWLP_USERDATA, 0);
      return 0;
    default:
      return DefWindowProcW(handle, message, wparam, lparam);
  }
}

HWND MakeGadget(std::int32_t gadget, GadgetKind kind, const wchar_t* window_class, const std::wstring& text,
                DWORD style, DWORD extended, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
  if (!StartUi()) return nullptr;
  UiState& state = State();
  WindowRecord* window = FindWindowRecord(state.current_window);
  if (!window) return nullptr;
  if (GadgetExists(gadget)) return nullptr;
  HWND handle = CreateWindowExW(extended, window_class, text.c_str(), WS_CHILD | WS_VISIBLE | style, x, y, width,
                                height, window->gadget_parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kControlIdBase + gadget)),
                                GetModuleHandleW(nullptr), nullptr);
  if (!handle) return nullptr;
  SendMessageW(handle, WM_SETFONT, reinterpret_cast<WPARAM>(GuiFont()), FALSE);
  std::lock_guard<std::recursive_mutex> hold(state.lock);
  GadgetRecord& record = state.gadgets[gadget];
  record = GadgetRecord{};
  record.handle = handle;
  record.window = state.current_window;
  record.kind = kind;
  record.text = text;
  return handle;
}

Write GadgetWrite(WriteKind kind, std::int32_t gadget) {
  Write write;
  write.kind = kind;
  write.gadget = gadget;
  return write;
}

}  // namespace

bool ButtonGadget(std::int32_t gadget, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                  const std::wstring& text) {
  return MakeGadget(gadget, GadgetKind::Button, WC_BUTTONW, text, WS_TABSTOP | BS_PUSHBUTTON, 0, x, y, width,
                    height) != nullptr;
}

bool CheckBoxGadget(std::int32_t gadget, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                    const std::wstring& text) {
  return MakeGadget(gadget, GadgetKind::CheckBox, WC_BUTTONW, text, WS_TABSTOP | BS_AUTOCHECKBOX, 0, x, y, width,
                    height) != nullptr;
}

bool TextGadget(std::int32_t gadget, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                const std::wstring& text, std::uint32_t flags) {
  DWORD style = (flags & kTextCentred) ? SS_CENTER : SS_LEFT;
  if (!(flags & kTextWrapped) && !(flags & kTextCentred)) style = SS_LEFTNOWORDWRAP;
  return MakeGadget(gadget, GadgetKind::Text, WC_STATICW, text, style | SS_NOPREFIX, 0, x, y, width, height) !=
         nullptr;
}

bool StringGadget(std::int32_t gadget, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                  const std::wstring& text, std::uint32_t flags) {
  DWORD style = WS_TABSTOP | ES_AUTOHSCROLL | ((flags & kFieldReadOnly) ? ES_READONLY : 0);
  DWORD extended = (flags & kFieldBorderless) ? 0 : WS_EX_CLIENTEDGE;
  return MakeGadget(gadget, GadgetKind::Field, WC_EDITW, text, style, extended, x, y, width, height) != nullptr;
}

bool EditorGadget(std::int32_t gadget, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
  HWND handle = MakeGadget(gadget, GadgetKind::Editor, WC_EDITW, L"",
                           WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL |
                               ES_WANTRETURN,
                           WS_EX_CLIENTEDGE, x, y, width, height);
  if (handle) SendMessageW(handle, EM_SETLIMITTEXT, 0, 0);  // 0: as much as memory holds
  return handle != nullptr;
}

bool FrameGadget(std::int32_t gadget, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                 const std::wstring& caption) {
  return MakeGadget(gadget, GadgetKind::Frame, WC_BUTTONW, caption, BS_GROUPBOX, 0, x, y, width, height) != nullptr;
}

bool PanelGadget(std::int32_t gadget, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
  HWND handle = MakeGadget(gadget, GadgetKind::Panel, WC_TABCONTROLW, L"", WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT, x,
                           y, width, height);
  if (!handle) return false;
  SetWindowSubclass(handle, PanelProcedure, 1, 0);
  std::lock_guard<std::recursive_mutex> hold(State().lock);
  FindWindowRecord(State().current_window)->gadget_parent = handle;
  return true;
}

void EndPanel() { SetCurrentWindow(State().current_window); }

bool ImageGadget(std::int32_t gadget, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                 std::int32_t image) {
  HWND handle = MakeGadget(gadget, GadgetKind::Image, WC_STATICW, L"", SS_ICON | SS_REALSIZECONTROL, 0, x, y, width,
                           height);
  if (handle) SendMessageW(handle, STM_SETICON, reinterpret_cast<WPARAM>(ImageIcon(image)), 0);
  return handle != nullptr;
}

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
  auto* look = new HyperLinkLook{normal, hover};
  LOGFONTW font{};
  GetObjectW(GuiFont(), sizeof(font), &font);
  font.lfUnderline = TRUE;
  look->font = CreateFontIndirectW(&font);
  SetWindowLongPtrW(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(look));
  InvalidateRect(handle, nullptr, TRUE);
  return true;
}

bool GadgetExists(std::int32_t gadget) {
  std::lock_guard<std::recursive_mutex> hold(State().lock);
  return FindGadget(gadget) != nullptr;
}

HWND GadgetHandle(std::int32_t gadget) {
  std::lock_guard<std::recursive_mutex> hold(State().lock);
  GadgetRecord* record = FindGadget(gadget);
  return record ? record->handle : nullptr;
}

void SetGadgetText(std::int32_t gadget, const std::wstring& text) {
  Write write = GadgetWrite(WriteKind::GadgetText, gadget);
  write.text = text;
  Carry(std::move(write));
}

std::wstring GetGadgetText(std::int32_t gadget) {
  std::lock_guard<std::recursive_mutex> hold(State().lock);
  GadgetRecord* record = FindGadget(gadget);
  if (!record) return L"";
  if (!OnWindowThread()) return record->text;
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(record->handle)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(record->handle, text.data(), static_cast<int>(text.size()))));
  return text;
}

void SetGadgetState(std::int32_t gadget, std::int32_t state) {
  Write write = GadgetWrite(WriteKind::GadgetState, gadget);
  write.a = state;
  Carry(std::move(write));
}

std::int32_t GetGadgetState(std::int32_t gadget) {
  std::lock_guard<std::recursive_mutex> hold(State().lock);
  GadgetRecord* record = FindGadget(gadget);
  if (!record) return -1;
  if (record->kind == GadgetKind::List) {
    if (OnWindowThread())
      return static_cast<std::int32_t>(SendMessageW(record->handle, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                                    LVNI_SELECTED));
    for (std::size_t row = 0; row < record->rows.size(); ++row)
      if (record->rows[row].state & kRowSelected) return static_cast<std::int32_t>(row);
    return -1;
  }
  if (record->kind == GadgetKind::CheckBox && OnWindowThread())
    return SendMessageW(record->handle, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
  return record->state;
}

void EnableGadget(std::int32_t gadget, bool enable) {
  Write write = GadgetWrite(WriteKind::GadgetEnable, gadget);
  write.a = enable ? 1 : 0;
  Carry(std::move(write));
}

bool IsGadgetEnabled(std::int32_t gadget) {
  std::lock_guard<std::recursive_mutex> hold(State().lock);
  GadgetRecord* record = FindGadget(gadget);
  if (!record) return false;
  return OnWindowThread() ? IsWindowEnabled(record->handle) != FALSE : record->enabled;
}

void ResizeGadget(std::int32_t gadget, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
  Write write = GadgetWrite(WriteKind::GadgetResize, gadget);
  write.a = x;
  write.b = y;
  write.c = width;
  write.d = height;
  Carry(std::move(write));
}

void SetGadgetColor(std::int32_t gadget, ColorPart part, COLORREF color) {
  Write write = GadgetWrite(WriteKind::GadgetColor, gadget);
  write.a = part == ColorPart::Front ? 0 : 1;
  write.number = static_cast<std::intptr_t>(color);
  Carry(std::move(write));
}
