// The keyboard as a Windows dialog serves it: Tab and Shift+Tab in reading
// order, Enter for the focused or default button, Escape for Cancel or the
// close box, the toolbar's arrows, focus kept across activation and across a
// control that disables itself, and focus cues that follow the system's
// keyboard-cue setting.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "ui/gadget.h"
#include "ui/ui_state.h"

namespace ui {

namespace {

bool CanTakeFocus(HWND root, HWND control) {
  if (!control || !IsWindowVisible(control)) return false;
  for (HWND at = control; at && at != root; at = GetParent(at))
    if (!IsWindowEnabled(at)) return false;
  return true;
}

bool Within(HWND outer, HWND inner) { return inner && (inner == outer || IsChild(outer, inner)); }

struct TabStop {
  HWND handle;
  RECT rect;
};

BOOL CALLBACK CollectTabStop(HWND child, LPARAM data) {
  if (GetWindowLongW(child, GWL_STYLE) & WS_TABSTOP) {
    RECT rect{};
    GetWindowRect(child, &rect);
    reinterpret_cast<std::vector<TabStop>*>(data)->push_back({child, rect});
  }
  return TRUE;
}

// Every tab stop of the window in reading order: rows from the top, each row
// from the left. A control belongs to the row of the first control above it
// when it starts above that one's foot (a button a pixel higher than the
// field beside it is still beside it). Creation order breaks ties.
std::vector<TabStop> TabStops(HWND root) {
  std::vector<TabStop> stops;
  EnumChildWindows(root, CollectTabStop, reinterpret_cast<LPARAM>(&stops));
  std::stable_sort(stops.begin(), stops.end(),
                   [](const TabStop& a, const TabStop& b) { return a.rect.top < b.rect.top; });
  for (std::size_t first = 0; first < stops.size();) {
    std::size_t end = first + 1;
    while (end < stops.size() && stops[end].rect.top < stops[first].rect.bottom) ++end;
    const auto row = stops.begin() + static_cast<std::ptrdiff_t>(first);
    std::stable_sort(row, row + static_cast<std::ptrdiff_t>(end - first),
                     [](const TabStop& a, const TabStop& b) { return a.rect.left < b.rect.left; });
    first = end;
  }
  return stops;
}

GadgetRecord* GadgetOf(HWND handle) {
  const std::int32_t number = GadgetNumberOf(handle);
  return number >= 0 ? FindGadget(number) : nullptr;
}

void ShowFocusCues(HWND root) { SendMessageW(root, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0); }

// Tab into a field selects its text, so that typing replaces it.
void FocusByKeyboard(HWND root, HWND target) {
  SetFocus(target);
  if (GadgetRecord* gadget = GadgetOf(target);
      gadget && (gadget->kind == GadgetKind::Field || gadget->kind == GadgetKind::Editor))
    SendMessageW(target, EM_SETSEL, 0, -1);
  ShowFocusCues(root);
  NoteFocus(root);
}

// ---- The toolbar: one of its buttons is the keyboard's, shown as hot.

bool ToolbarButtonUsable(HWND toolbar, int index, std::int32_t* number) {
  TBBUTTON button{};
  if (!SendMessageW(toolbar, TB_GETBUTTON, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&button))) return false;
  if ((button.fsStyle & BTNS_SEP) || !(button.fsState & TBSTATE_ENABLED) || (button.fsState & TBSTATE_HIDDEN))
    return false;
  *number = button.idCommand;
  return true;
}

// The next usable button from `from` (a menu number, or -1 for the start) in
// direction `step`, wrapping; never `from` itself; -1 when there is none.
std::int32_t NextToolbarButton(HWND toolbar, std::int32_t from, int step) {
  const int count = static_cast<int>(SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0));
  int at = from >= 0 ? static_cast<int>(SendMessageW(toolbar, TB_COMMANDTOINDEX, static_cast<WPARAM>(from), 0)) : -1;
  if (at < 0) at = step > 0 ? -1 : count;
  for (int turn = 1; turn <= count; ++turn) {
    const int index = ((at + step * turn) % count + count) % count;
    std::int32_t number = -1;
    if (ToolbarButtonUsable(toolbar, index, &number) && number != from) return number;
  }
  return -1;
}

bool ToolbarButtonEnabled(HWND toolbar, std::int32_t number) {
  return number >= 0 && SendMessageW(toolbar, TB_ISBUTTONENABLED, static_cast<WPARAM>(number), 0) != 0;
}

void ShowToolbarKey(WindowRecord& window, std::int32_t number) {
  window.toolbar_key = number;
  const LRESULT index =
      number >= 0 ? SendMessageW(window.toolbar, TB_COMMANDTOINDEX, static_cast<WPARAM>(number), 0) : -1;
  SendMessageW(window.toolbar, TB_SETHOTITEM, static_cast<WPARAM>(index), 0);
}

bool ToolbarKey(WindowRecord& window, WPARAM key) {
  switch (key) {
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN: {
      const int step = key == VK_LEFT || key == VK_UP ? -1 : 1;
      if (const std::int32_t next = NextToolbarButton(window.toolbar, window.toolbar_key, step); next >= 0)
        ShowToolbarKey(window, next);
      ShowFocusCues(window.handle);
      return true;
    }
    case VK_RETURN:
    case VK_SPACE:
      // The same event as a click on the button.
      if (ToolbarButtonEnabled(window.toolbar, window.toolbar_key))
        SendMessageW(window.handle, WM_COMMAND, MAKEWPARAM(window.toolbar_key, BN_CLICKED),
                     reinterpret_cast<LPARAM>(window.toolbar));
      return true;
    default:
      return false;
  }
}

bool Pressed(int key) { return GetKeyState(key) < 0; }

}  // namespace

HWND NextTabStop(HWND root, HWND from, bool backwards) {
  const std::vector<TabStop> stops = TabStops(root);
  const int count = static_cast<int>(stops.size());
  int at = -1;
  for (int index = 0; index < count; ++index)
    if (Within(stops[static_cast<std::size_t>(index)].handle, from)) at = index;
  for (int turn = 1; turn <= count; ++turn) {
    int index = 0;
    if (at < 0)
      index = backwards ? count - turn : turn - 1;
    else
      index = ((at + (backwards ? -turn : turn)) % count + count) % count;
    if (index == at) continue;
    const HWND candidate = stops[static_cast<std::size_t>(index)].handle;
    if (CanTakeFocus(root, candidate)) return candidate;
  }
  return nullptr;
}

void RaiseClick(HWND control) {
  SendMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), BN_CLICKED),
               reinterpret_cast<LPARAM>(control));
}

bool HandleDialogKey(const MSG& message) {
  if (message.message != WM_KEYDOWN) return false;
  if (Pressed(VK_CONTROL) || Pressed(VK_MENU)) return false;
  const HWND root = GetAncestor(message.hwnd, GA_ROOT);
  WindowRecord* window = FindWindowRecord(WindowNumberOf(root));
  if (!window) return false;
  const HWND focus = GetFocus();
  if (window->toolbar && focus == window->toolbar && ToolbarKey(*window, message.wParam)) return true;
  GadgetRecord* focused = GadgetOf(focus);
  switch (message.wParam) {
    case VK_TAB:
      if (const HWND next = NextTabStop(root, focus, Pressed(VK_SHIFT))) FocusByKeyboard(root, next);
      return true;
    case VK_RETURN: {
      if (focused && focused->kind == GadgetKind::Editor) return false;  // a new line
      if (focused && (focused->kind == GadgetKind::Button || focused->kind == GadgetKind::HyperLink)) {
        RaiseClick(focus);
        return true;
      }
      const HWND default_button = GadgetHandle(window->default_button);
      if (!default_button) return false;
      if (CanTakeFocus(root, default_button)) RaiseClick(default_button);
      return true;
    }
    case VK_SPACE:
      if (!focused || focused->kind != GadgetKind::HyperLink) return false;
      RaiseClick(focus);
      return true;
    case VK_ESCAPE:
      if (const HWND cancel = GadgetHandle(window->cancel_button)) {
        if (CanTakeFocus(root, cancel)) RaiseClick(cancel);
        return true;
      }
      // As the close box would; the window's handler decides.
      if (window->close_box) {
        PushEvent({kEventClose, WindowNumberOf(root), 0, -1, -1, {}});
        return true;
      }
      return false;
    default:
      return false;
  }
}

void NoteFocus(HWND root) {
  WindowRecord* window = FindWindowRecord(WindowNumberOf(root));
  if (!window) return;
  HWND focus = GetFocus();
  if (!Within(root, focus)) focus = nullptr;
  if (focus == window->focus_seen) return;
  const HWND was = window->focus_seen;
  window->focus_seen = focus;
  if (window->toolbar && focus == window->toolbar) {
    const bool usable = ToolbarButtonEnabled(window->toolbar, window->toolbar_key);
    ShowToolbarKey(*window, usable ? window->toolbar_key : NextToolbarButton(window->toolbar, -1, 1));
  } else if (window->toolbar && was == window->toolbar) {
    SendMessageW(window->toolbar, TB_SETHOTITEM, static_cast<WPARAM>(-1), 0);
  }
  GadgetRecord* focused = GadgetOf(focus);
  // A list shows its focus on a row: the first, when no row has had it yet.
  if (focused && focused->kind == GadgetKind::List && focused->model.count() > 0 &&
      SendMessageW(focus, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED) < 0) {
    LVITEMW item{};
    item.stateMask = LVIS_FOCUSED;
    item.state = LVIS_FOCUSED;
    SendMessageW(focus, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item));
  }
  // A push button with the focus is the one Enter presses, and looks it;
  // elsewhere the window's default button does.
  const HWND pressed = focused && focused->kind == GadgetKind::Button ? focus : GadgetHandle(window->default_button);
  const std::int32_t number = WindowNumberOf(root);
  for (auto& [gadget, record] : State().gadgets) {
    if (record.window != number || record.kind != GadgetKind::Button) continue;
    const DWORD wanted = record.handle == pressed ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    if ((static_cast<DWORD>(GetWindowLongW(record.handle, GWL_STYLE)) & BS_TYPEMASK) != wanted)
      SendMessageW(record.handle, BM_SETSTYLE, wanted, TRUE);
  }
}

LRESULT AnswerToolbarHotItem(WindowRecord& window, const NMTBHOTITEM& change) {
  if (GetFocus() != window.toolbar) return 0;
  // The pointer leaving the toolbar must not take the keyboard's button away.
  if (change.dwFlags & HICF_LEAVING) return 1;
  // Only the pointer moves it; the toolbar's own choice on taking the focus
  // is replaced by the keyboard's button right after.
  if ((change.dwFlags & HICF_MOUSE) && change.idNew >= 0) window.toolbar_key = change.idNew;
  return 0;
}

void SaveFocus(WindowRecord& window) {
  const HWND focus = GetFocus();
  if (focus && IsChild(window.handle, focus)) window.saved_focus = focus;
  // Inactive, the window shows no keyboard button; RestoreFocus shows the
  // one the keyboard was on again.
  if (window.toolbar && window.focus_seen == window.toolbar)
    SendMessageW(window.toolbar, TB_SETHOTITEM, static_cast<WPARAM>(-1), 0);
  window.focus_seen = nullptr;
}

void RestoreFocus(WindowRecord& window) {
  if (IsIconic(window.handle)) return;
  HWND target = window.saved_focus;
  if (!IsWindow(target) || !IsChild(window.handle, target) || !CanTakeFocus(window.handle, target))
    target = NextTabStop(window.handle, nullptr, false);
  SetFocus(target ? target : window.handle);
  NoteFocus(window.handle);
}

void LendFocusBeforeDisabling(WindowRecord& window, HWND control) {
  if (!Within(control, GetFocus())) return;
  const HWND next = NextTabStop(window.handle, control, false);
  // A borrower that is disabled in turn passes the loan on.
  if (window.loan.borrower != control || !window.loan.lender) window.loan.lender = control;
  window.loan.borrower = next ? next : window.handle;
  SetFocus(window.loan.borrower);
  NoteFocus(window.handle);
}

void TakeBackFocus(WindowRecord& window, HWND control) {
  if (window.loan.lender != control) return;
  const HWND borrower = window.loan.borrower;
  window.loan.lender = window.loan.borrower = nullptr;
  if (GetFocus() == borrower) {
    SetFocus(control);
    NoteFocus(window.handle);
  } else if (window.saved_focus == borrower && !Within(window.handle, GetFocus())) {
    window.saved_focus = control;  // the window is inactive: given back when it is active again
  }
}

void LendToolbarKeyOfDisabled(WindowRecord& window, std::int32_t button) {
  if (!window.toolbar || GetFocus() != window.toolbar || window.toolbar_key != button) return;
  const std::int32_t next = NextToolbarButton(window.toolbar, button, 1);
  if (window.loan.borrower_button != button || window.loan.lender_button < 0) window.loan.lender_button = button;
  window.loan.borrower_button = next;
  ShowToolbarKey(window, next);
}

void TakeBackToolbarKey(WindowRecord& window, std::int32_t button) {
  if (window.loan.lender_button != button) return;
  const std::int32_t borrower = window.loan.borrower_button;
  window.loan.lender_button = window.loan.borrower_button = -1;
  if (GetFocus() == window.toolbar && window.toolbar_key == borrower) ShowToolbarKey(window, button);
}

}  // namespace ui
