// Gadget creation and the operations shared by all control kinds.
#include "ui/gadget.h"

#include <windows.h>

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "ui/gdi.h"
#include "ui/scale.h"
#include "ui/ui_state.h"
#include "ui/write.h"
#include "ui/window.h"

namespace {

using namespace ui;

// Control ids stay clear of IDOK and IDCANCEL, which the system treats specially.
constexpr std::int32_t kControlIdBase = 1000;

// A panel's body as it draws itself, as a brush, made when first asked for
// at the panel's present size.
struct PanelBody {
  HBRUSH brush = nullptr;
  SIZE size{0, 0};
};

HBRUSH BodyBrush(HWND panel, PanelBody& body) {
  RECT client{};
  GetClientRect(panel, &client);
  if (body.brush && body.size.cx == client.right && body.size.cy == client.bottom) return body.brush;
  DeleteCounted(body.brush);
  body = PanelBody{nullptr, {client.right, client.bottom}};
  HDC panel_dc = GetDC(panel);
  HDC dc = CountedDc(CreateCompatibleDC(panel_dc));
  HBITMAP picture =
      Counted(CreateCompatibleBitmap(panel_dc, std::max<LONG>(1, client.right), std::max<LONG>(1, client.bottom)));
  ReleaseDC(panel, panel_dc);
  HGDIOBJ old = SelectObject(dc, picture);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  SendMessageW(panel, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  SelectObject(dc, old);
  DeleteCountedDc(dc);
  body.brush = Counted(CreatePatternBrush(picture));
  DeleteCounted(picture);
  return body.brush;
}

// Panels are tab controls: what their children report goes on to the window.
// Their labels and boxes paint the panel's own body behind them, not the
// window's face colour, which under a visual style is another shade.
LRESULT CALLBACK PanelProcedure(HWND handle, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                DWORD_PTR data) {
  auto* body = reinterpret_cast<PanelBody*>(data);
  switch (message) {
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      HBRUSH brush = BodyBrush(handle, *body);
      if (!brush) break;
      RECT child{};
      GetWindowRect(reinterpret_cast<HWND>(lparam), &child);
      MapWindowPoints(nullptr, handle, reinterpret_cast<POINT*>(&child), 2);
      auto dc = reinterpret_cast<HDC>(wparam);
      SetBrushOrgEx(dc, -child.left, -child.top, nullptr);
      SetBkMode(dc, TRANSPARENT);
      return reinterpret_cast<LRESULT>(brush);
    }
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLOREDIT:
      return SendMessageW(GetAncestor(handle, GA_ROOT), message, wparam, lparam);
    case WM_NCDESTROY:
      RemoveWindowSubclass(handle, PanelProcedure, 1);
      DeleteCounted(body->brush);
      delete body;
      break;
    default:
      break;
  }
  return DefSubclassProc(handle, message, wparam, lparam);
}

}  // namespace

namespace ui {

HWND MakeGadget(std::int32_t gadget, GadgetKind kind, const wchar_t* window_class, const std::wstring& text,
                DWORD style, DWORD extended, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
  if (!StartUi()) return nullptr;
  UiState& state = State();
  WindowRecord* window = FindWindowRecord(state.current_window);
  if (!window) return nullptr;
  if (GadgetExists(gadget)) return nullptr;
  const RECT place = ScaledPlace(x, y, width, height, window->dpi);
  HWND handle = CreateWindowExW(extended, window_class, text.c_str(), WS_CHILD | WS_VISIBLE | style, place.left,
                                place.top, place.right - place.left, place.bottom - place.top, window->gadget_parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kControlIdBase + gadget)),
                                GetModuleHandleW(nullptr), nullptr);
  if (!handle) return nullptr;
  SendMessageW(handle, WM_SETFONT, reinterpret_cast<WPARAM>(GuiFont(window->dpi)), FALSE);
  std::lock_guard<std::recursive_mutex> hold(state.lock);
  GadgetRecord& record = state.gadgets[gadget];
  record = GadgetRecord{};
  record.handle = handle;
  record.window = state.current_window;
  record.kind = kind;
  record.text = text;
  record.place = RECT{x, y, width, height};
  return handle;
}

void RescaleGadget(GadgetRecord& gadget, std::int32_t old_dpi, std::int32_t dpi) {
  const RECT& at = gadget.place;
  const RECT place = ScaledPlace(at.left, at.top, at.right, at.bottom, dpi);
  MoveWindow(gadget.handle, place.left, place.top, place.right - place.left, place.bottom - place.top, TRUE);
  SendMessageW(gadget.handle, WM_SETFONT, reinterpret_cast<WPARAM>(GuiFont(dpi)), TRUE);
  if (gadget.kind == GadgetKind::List) RescaleListColumns(gadget.handle, old_dpi, dpi);
  if (gadget.kind == GadgetKind::Image)
    SendMessageW(gadget.handle, STM_SETICON, reinterpret_cast<WPARAM>(ImageIconAt(gadget.image, dpi)), 0);
}

void ApplyGadgetWrite(const Write& write, GadgetRecord& gadget) {
  HWND handle = gadget.handle;
  switch (write.kind) {
    case WriteKind::GadgetText:
      if (gadget.kind == GadgetKind::List) return;
      // Workers repeat texts (a percent, a state); an unchanged label is not
      // repainted. Fields always take the text: their change event is part of
      // what setting them means.
      if (gadget.kind != GadgetKind::Field && gadget.kind != GadgetKind::Editor && gadget.text == write.text &&
          GetWindowTextLengthW(handle) == static_cast<int>(write.text.size()))
        return;
      {
        std::lock_guard<std::recursive_mutex> hold(State().lock);
        gadget.text = write.text;
      }
      SetWindowTextW(handle, write.text.c_str());
      if (gadget.kind == GadgetKind::HyperLink) InvalidateRect(handle, nullptr, TRUE);
      return;
    case WriteKind::GadgetState:
      if (gadget.kind == GadgetKind::CheckBox) {
        {
          std::lock_guard<std::recursive_mutex> hold(State().lock);
          gadget.state = write.state ? 1 : 0;
        }
        SendMessageW(handle, BM_SETCHECK, write.state ? BST_CHECKED : BST_UNCHECKED, 0);
      } else if (gadget.kind == GadgetKind::List) {
        ApplyListWrite(write, gadget);
      }
      return;
    case WriteKind::GadgetEnable: {
      // A control that had the focus hands it on first, and takes it back.
      WindowRecord* window = FindWindowRecord(gadget.window);
      if (window && !write.enable) LendFocusBeforeDisabling(*window, handle);
      EnableWindow(handle, write.enable);
      if (window && write.enable) TakeBackFocus(*window, handle);
      return;
    }
    case WriteKind::GadgetResize: {
      {
        std::lock_guard<std::recursive_mutex> hold(State().lock);
        gadget.place = write.place;
      }
      const RECT place = ScaledPlace(write.place.left, write.place.top, write.place.right, write.place.bottom,
                                     WindowDpi(gadget.window));
      MoveWindow(handle, place.left, place.top, place.right - place.left, place.bottom - place.top, TRUE);
      return;
    }
    default:
      return;
  }
}

}  // namespace ui

namespace {

// The window of `gadget` on the window thread, or null.
WindowRecord* WindowOfGadget(std::int32_t gadget) {
  GadgetRecord* record = OnWindowThread() ? FindGadget(gadget) : nullptr;
  return record ? FindWindowRecord(record->window) : nullptr;
}

}  // namespace

void SetDefaultButton(std::int32_t gadget) {
  WindowRecord* window = WindowOfGadget(gadget);
  if (!window) return;
  window->default_button = gadget;
  window->focus_seen = nullptr;  // the looks are drawn anew for the focus as it is
  NoteFocus(window->handle);
}

void SetCancelButton(std::int32_t gadget) {
  if (WindowRecord* window = WindowOfGadget(gadget)) window->cancel_button = gadget;
}

void FocusGadget(std::int32_t gadget) {
  WindowRecord* window = WindowOfGadget(gadget);
  if (!window) return;
  const HWND handle = FindGadget(gadget)->handle;
  window->saved_focus = handle;
  if (GetActiveWindow() != window->handle) return;
  SetFocus(handle);
  NoteFocus(window->handle);
}

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
  SetWindowSubclass(handle, PanelProcedure, 1, reinterpret_cast<DWORD_PTR>(new PanelBody));
  std::lock_guard<std::recursive_mutex> hold(State().lock);
  FindWindowRecord(State().current_window)->gadget_parent = handle;
  return true;
}

void EndPanel() { SetCurrentWindow(State().current_window); }

bool ImageGadget(std::int32_t gadget, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                 std::int32_t image) {
  HWND handle = MakeGadget(gadget, GadgetKind::Image, WC_STATICW, L"", SS_ICON | SS_REALSIZECONTROL, 0, x, y, width,
                           height);
  if (!handle) return false;
  std::int32_t dpi = kBaseDpi;
  {
    std::lock_guard<std::recursive_mutex> hold(State().lock);
    GadgetRecord& record = *FindGadget(gadget);
    record.image = image;
    dpi = WindowDpi(record.window);
  }
  SendMessageW(handle, STM_SETICON, reinterpret_cast<WPARAM>(ImageIconAt(image, dpi)), 0);
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
  write.state = state;
  Carry(std::move(write));
}

std::int32_t GetGadgetState(std::int32_t gadget) {
  std::lock_guard<std::recursive_mutex> hold(State().lock);
  GadgetRecord* record = FindGadget(gadget);
  if (!record) return -1;
  if (record->kind == GadgetKind::List && OnWindowThread())
    return static_cast<std::int32_t>(SendMessageW(record->handle, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                                  LVNI_SELECTED));
  if (record->kind == GadgetKind::CheckBox && OnWindowThread())
    return SendMessageW(record->handle, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
  return record->state;
}

void EnableGadget(std::int32_t gadget, bool enable) {
  Write write = GadgetWrite(WriteKind::GadgetEnable, gadget);
  write.enable = enable;
  Carry(std::move(write));
}

void ResizeGadget(std::int32_t gadget, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
  Write write = GadgetWrite(WriteKind::GadgetResize, gadget);
  write.place = RECT{x, y, width, height};
  Carry(std::move(write));
}
