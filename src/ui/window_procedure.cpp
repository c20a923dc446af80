// The one window procedure: turns the messages of every window into events.
#include <windows.h>

#include <commctrl.h>
#include <ole2.h>

#include <algorithm>

#include "ui/events.h"
#include "ui/ui_state.h"

namespace ui {

namespace {

void PushFromCommand(std::int32_t window, WPARAM wparam, LPARAM lparam) {
  WindowRecord* record = FindWindowRecord(window);
  HWND from = reinterpret_cast<HWND>(lparam);
  if (!from || (record && from == record->toolbar)) {
    PushEvent({kEventMenu, window, 0, -1, LOWORD(wparam), {}});
    return;
  }
  std::int32_t gadget = GadgetNumberOf(from);
  if (gadget < 0) return;
  std::int32_t code = HIWORD(wparam);
  if (code == BN_CLICKED) {
    GadgetRecord* control = FindGadget(gadget);
    if (control && control->kind == GadgetKind::CheckBox) {
      std::lock_guard<std::recursive_mutex> hold(State().lock);
      control->state = SendMessageW(from, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
    }
    PushEvent({kEventControl, window, kEventTypeClick, gadget, -1, {}});
  } else if (code == EN_CHANGE) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(from)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(from, text.data(), static_cast<int>(text.size()))));
    {
      std::lock_guard<std::recursive_mutex> hold(State().lock);
      if (GadgetRecord* control = FindGadget(gadget)) control->text = text;
    }
    PushEvent({kEventControl, window, kEventTypeChange, gadget, -1, {}});
  }
}

// Where the pop-up menu of a list opened by the keyboard belongs: at the
// selected row (scrolled into view), or at the list's corner.
POINT KeyboardMenuPlace(HWND list) {
  POINT at{0, 0};
  const auto row = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  RECT bounds{};
  bounds.left = LVIR_BOUNDS;
  if (row >= 0) {
    SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
    if (SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&bounds))) {
      RECT client{};
      GetClientRect(list, &client);
      at = {std::max(bounds.left, client.left), std::min(bounds.bottom, client.bottom)};
    }
  }
  ClientToScreen(list, &at);
  return at;
}

// Shift+F10 or the context-menu key on a list: the same event as a right
// click, with the place of the menu in it.
void PushFromContextMenu(std::int32_t window, WPARAM wparam, LPARAM lparam) {
  const bool by_keyboard = LOWORD(lparam) == 0xFFFF && HIWORD(lparam) == 0xFFFF;
  const HWND from = reinterpret_cast<HWND>(wparam);
  const std::int32_t gadget = GadgetNumberOf(from);
  GadgetRecord* control = FindGadget(gadget);
  // A right click on a list reports itself already (NM_RCLICK).
  if (!by_keyboard || !control || control->kind != GadgetKind::List) return;
  Event event{kEventControl, window, kEventTypeRightClick, gadget, -1, {}};
  const POINT at = KeyboardMenuPlace(from);
  event.placed = true;
  event.x = at.x;
  event.y = at.y;
  PushEvent(std::move(event));
}

LRESULT PushFromNotify(std::int32_t window, NMHDR* header) {
  if (WindowRecord* record = FindWindowRecord(window);
      record && record->toolbar && header->hwndFrom == record->toolbar && header->code == TBN_HOTITEMCHANGE)
    return AnswerToolbarHotItem(*record, *reinterpret_cast<NMTBHOTITEM*>(header));
  std::int32_t gadget = GadgetNumberOf(header->hwndFrom);
  if (header->code == TTN_GETDISPINFOW) {
    // Toolbar tooltips ask here when their text was left to the parent.
    WindowRecord* record = FindWindowRecord(window);
    auto* info = reinterpret_cast<NMTTDISPINFOW*>(const_cast<NMHDR*>(header));
    if (record) {
      auto tip = record->tooltips.find(static_cast<std::int32_t>(header->idFrom));
      if (tip != record->tooltips.end()) info->lpszText = const_cast<wchar_t*>(tip->second.c_str());
    }
    return 0;
  }
  if (gadget < 0) return 0;
  // First, so that a click's event finds the tick it toggled already taken.
  LRESULT answer = AnswerModelList(gadget, header);
  if (header->code == NM_RCLICK) {
    PushEvent({kEventControl, window, kEventTypeRightClick, gadget, -1, {}});
  } else if (header->code == NM_CLICK) {
    PushEvent({kEventControl, window, kEventTypeClick, gadget, -1, {}});
  } else if (header->code == LVN_ITEMCHANGED) {
    const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
    if (change->uChanged & LVIF_STATE) NoteListSelection(gadget);
  }
  return answer;
}

}  // namespace

LRESULT CALLBACK WindowProcedure(HWND handle, UINT message, WPARAM wparam, LPARAM lparam) {
  // A file drop target goes with its window (harmless where none was
  // registered). Done here rather than by subclassing: a subclassed window
  // looks its subclass up on every message, and under Wine that lookup is a
  // server call, which made each list insert (three notifications) costly.
  if (message == WM_DESTROY) {
    RevokeDragDrop(handle);
    ForgetTaskbarButton(handle);
  }
  std::int32_t window = WindowNumberOf(handle);
  if (window < 0) return DefWindowProcW(handle, message, wparam, lparam);
  if (message == TaskbarButtonCreatedMessage()) {
    NoteTaskbarButtonCreated(handle);
    return 0;
  }
  switch (message) {
    case WM_CLOSE:
      PushEvent({kEventClose, window, 0, -1, -1, {}});
      return 0;
    case WM_SIZE:
      if (WindowRecord* record = FindWindowRecord(window)) LayOutBars(*record);
      if (wparam != SIZE_MINIMIZED) PushEvent({kEventSize, window, 0, -1, -1, {}});
      return 0;
    case WM_GETMINMAXINFO:
      if (WindowRecord* record = FindWindowRecord(window); record && record->min_size.cx > 0) {
        auto* info = reinterpret_cast<MINMAXINFO*>(lparam);
        const SIZE smallest = MinimumSize(*record);
        info->ptMinTrackSize.x = smallest.cx;
        info->ptMinTrackSize.y = smallest.cy;
      }
      return 0;
    case WM_DPICHANGED:
      // Moved to a display of another scale: Windows suggests the rectangle.
      ChangeWindowDpi(window, LOWORD(wparam), *reinterpret_cast<const RECT*>(lparam));
      PushEvent({kEventSize, window, 0, -1, -1, {}});
      return 0;
    case WM_COMMAND:
      PushFromCommand(window, wparam, lparam);
      return 0;
    case WM_CONTEXTMENU:
      PushFromContextMenu(window, wparam, lparam);
      return 0;
    case WM_ACTIVATE:
      // As a dialog does: the focus stays where it was while the window is
      // inactive (not on the bare window).
      if (WindowRecord* record = FindWindowRecord(window)) {
        if (LOWORD(wparam) == WA_INACTIVE)
          SaveFocus(*record);
        else if (!HIWORD(wparam))
          RestoreFocus(*record);
      }
      return 0;
    case WM_NOTIFY:
      return PushFromNotify(window, reinterpret_cast<NMHDR*>(lparam));
    // Answered here and now: Windows waits for the answer, and no requester
    // or event stands in the way.
    case WM_QUERYENDSESSION:
      return AnsweredMayEnd() ? TRUE : FALSE;
    case WM_ENDSESSION:
      if (wparam) AnsweredEnding();
      return 0;
    default:
      return DefWindowProcW(handle, message, wparam, lparam);
  }
}

}  // namespace ui
