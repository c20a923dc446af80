// Windows by number, the post office that carries workers' writes, and the
// one window procedure that turns messages into events.
#include "ui/window.h"

#include <windows.h>

#include <commctrl.h>
#include <ole2.h>

#include <algorithm>
#include <memory>

#include "ui/events.h"
#include "ui/gadget.h"
#include "ui/messages.h"
#include "ui/ui_state.h"

namespace ui {

namespace {

const wchar_t kWindowClass[] = L"SumwickWindow";
const wchar_t kPostOfficeClass[] = L"SumwickPostOffice";

// Generations of the windows a worker was bound to; null for unbound threads.
thread_local const std::map<std::int32_t, std::uint32_t>* t_bound_generations = nullptr;

LRESULT CALLBACK PostOfficeProcedure(HWND handle, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kMessageCarryWrite) {
    std::unique_ptr<Write> write(reinterpret_cast<Write*>(lparam));
    ApplyWrite(*write, true);
    return 0;
  }
  return DefWindowProcW(handle, message, wparam, lparam);
}

// The generation a write made now on this thread is meant for; 0 drops it.
std::uint32_t GenerationForWrite(std::int32_t window) {
  WindowRecord* record = FindWindowRecord(window);
  if (!t_bound_generations) return record ? record->generation : 0;
  auto bound = t_bound_generations->find(window);
  return bound == t_bound_generations->end() ? 0 : bound->second;
}

void PushFromCommand(std::int32_t window, WPARAM wparam, LPARAM lparam) {
  WindowRecord* record = FindWindowRecord(window);
  HWND from = reinterpret_cast<HWND>(lparam);
  if (!from || (record && from == record->toolbar)) {
    PushEvent({kEventMenu, window, -1, LOWORD(wparam), 0, {}});
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
    PushEvent({kEventControl, window, gadget, -1, kEventTypeClick, {}});
  } else if (code == EN_CHANGE) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(from)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(from, text.data(), static_cast<int>(text.size()))));
    {
      std::lock_guard<std::recursive_mutex> hold(State().lock);
      if (GadgetRecord* control = FindGadget(gadget)) control->text = text;
    }
    PushEvent({kEventControl, window, gadget, -1, kEventTypeChange, {}});
  }
}

LRESULT PushFromNotify(std::int32_t window, NMHDR* header) {
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
  LRESULT answer = AnswerVirtualList(gadget, header);
  if (header->code == NM_RCLICK) {
    PushEvent({kEventControl, window, gadget, -1, kEventTypeRightClick, {}});
  } else if (header->code == NM_CLICK) {
    PushEvent({kEventControl, window, gadget, -1, kEventTypeClick, {}});
  } else if (header->code == LVN_ITEMCHANGED) {
    const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
    if (change->uChanged & LVIF_STATE) NoteListItemChanged(gadget, change->iItem);
  }
  return answer;
}

LRESULT ColorControl(HWND control, HDC dc, LRESULT fallback) {
  GadgetRecord* record = FindGadget(GadgetNumberOf(control));
  if (!record || (record->front == CLR_INVALID && !record->back_brush)) return fallback;
  if (record->front != CLR_INVALID) SetTextColor(dc, record->front);
  if (!record->back_brush) {
    SetBkMode(dc, TRANSPARENT);
    return fallback ? fallback : reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
  }
  SetBkColor(dc, record->back);
  return reinterpret_cast<LRESULT>(record->back_brush);
}

}  // namespace

UiState& State() {
  static UiState state;
  return state;
}

WindowRecord* FindWindowRecord(std::int32_t number) {
  auto found = State().windows.find(number);
  return found == State().windows.end() ? nullptr : &found->second;
}

GadgetRecord* FindGadget(std::int32_t gadget) {
  auto found = State().gadgets.find(gadget);
  return found == State().gadgets.end() ? nullptr : &found->second;
}

std::int32_t WindowNumberOf(HWND handle) {
  if (!handle) return -1;
  for (auto& [number, record] : State().windows)
    if (record.handle == handle) return number;
  return -1;
}

std::int32_t GadgetNumberOf(HWND handle) {
  if (!handle) return -1;
  for (auto& [number, record] : State().gadgets)
    if (record.handle == handle) return number;
  return -1;
}

void PushEvent(Event event) { State().events.push_back(std::move(event)); }

HFONT GuiFont() { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

void Carry(Write write) {
  UiState& state = State();
  if (OnWindowThread()) {
    ApplyWrite(write, false);
    return;
  }
  {
    std::lock_guard<std::recursive_mutex> hold(state.lock);
    if (write.gadget >= 0) {
      GadgetRecord* gadget = FindGadget(write.gadget);
      if (!gadget) return;
      write.window = gadget->window;
      if (write.row >= 0) {
        // Pin the row the caller meant now: by the time the write lands,
        // rows above it may be gone.
        if (write.row >= static_cast<std::int32_t>(gadget->rows.size())) return;
        write.row_id = gadget->rows[static_cast<std::size_t>(write.row)].id;
      }
    }
    write.generation = GenerationForWrite(write.window);
    if (write.generation == 0 || !state.post_office) return;
  }
  auto* carried = new Write(std::move(write));
  if (!PostMessageW(state.post_office, kMessageCarryWrite, 0, reinterpret_cast<LPARAM>(carried))) delete carried;
}

void ApplyWrite(const Write& write, bool carried) {
  WindowRecord* window = nullptr;
  GadgetRecord* gadget = nullptr;
  if (write.gadget >= 0) {
    gadget = FindGadget(write.gadget);
    if (!gadget) return;
    window = FindWindowRecord(gadget->window);
  } else {
    window = FindWindowRecord(write.window);
  }
  if (!window) return;
  if (carried && (window->generation != write.generation || (gadget && gadget->window != write.window))) return;
  if (!gadget) {
    if (write.kind == WriteKind::WindowEnable) {
      EnableWindow(window->handle, write.a != 0);
    } else if (write.kind == WriteKind::WindowCall) {
      if (write.call) write.call();
    } else {
      ApplyBarWrite(write, *window);
    }
    return;
  }
  HWND handle = gadget->handle;
  switch (write.kind) {
    case WriteKind::GadgetText:
      if (gadget->kind == GadgetKind::List) return;
      // Workers repeat texts (a percent, a state); an unchanged label is not
      // repainted. Fields always take the text: their change event is part of
      // what setting them means.
      if (gadget->kind != GadgetKind::Field && gadget->kind != GadgetKind::Editor && gadget->text == write.text &&
          GetWindowTextLengthW(handle) == static_cast<int>(write.text.size()))
        return;
      {
        std::lock_guard<std::recursive_mutex> hold(State().lock);
        gadget->text = write.text;
      }
      SetWindowTextW(handle, write.text.c_str());
      if (gadget->kind == GadgetKind::HyperLink) InvalidateRect(handle, nullptr, TRUE);
      return;
    case WriteKind::GadgetState:
      if (gadget->kind == GadgetKind::CheckBox) {
        {
          std::lock_guard<std::recursive_mutex> hold(State().lock);
          gadget->state = write.a ? 1 : 0;
        }
        SendMessageW(handle, BM_SETCHECK, write.a ? BST_CHECKED : BST_UNCHECKED, 0);
      } else if (gadget->kind == GadgetKind::List) {
        ApplyListWrite(write, *gadget);
      }
      return;
    case WriteKind::GadgetEnable:
      {
        std::lock_guard<std::recursive_mutex> hold(State().lock);
        gadget->enabled = write.a != 0;
      }
      EnableWindow(handle, write.a != 0);
      return;
    case WriteKind::GadgetResize:
      MoveWindow(handle, write.a, write.b, write.c, write.d, TRUE);
      return;
    case WriteKind::GadgetColor: {
      COLORREF color = static_cast<COLORREF>(write.number);
      if (gadget->kind == GadgetKind::List) {
        SendMessageW(handle, write.a == 0 ? LVM_SETTEXTCOLOR : LVM_SETTEXTBKCOLOR, 0, color);
        if (write.a != 0) SendMessageW(handle, LVM_SETBKCOLOR, 0, color);
      } else if (write.a == 0) {
        gadget->front = color;
      } else {
        if (gadget->back_brush) DeleteObject(gadget->back_brush);
        gadget->back = color;
        gadget->back_brush = CreateSolidBrush(color);
      }
      InvalidateRect(handle, nullptr, TRUE);
      return;
    }
    default:
      ApplyListWrite(write, *gadget);
      return;
  }
}

LRESULT CALLBACK WindowProcedure(HWND handle, UINT message, WPARAM wparam, LPARAM lparam) {
  // A file drop target goes with its window (harmless where none was
  // registered). Done here rather than by subclassing: a subclassed window
  // looks its subclass up on every message, and under Wine that lookup is a
  // server call, which made each list insert (three notifications) costly.
  if (message == WM_DESTROY) RevokeDragDrop(handle);
  std::int32_t window = WindowNumberOf(handle);
  if (window < 0) return DefWindowProcW(handle, message, wparam, lparam);
  switch (message) {
    case WM_CLOSE:
      PushEvent({kEventClose, window, -1, -1, 0, {}});
      return 0;
    case WM_SIZE:
      if (WindowRecord* record = FindWindowRecord(window)) LayOutBars(*record);
      if (wparam != SIZE_MINIMIZED) PushEvent({kEventSize, window, -1, -1, 0, {}});
      return 0;
    case WM_GETMINMAXINFO:
      if (WindowRecord* record = FindWindowRecord(window); record && record->min_size.cx > 0) {
        auto* info = reinterpret_cast<MINMAXINFO*>(lparam);
        info->ptMinTrackSize.x = record->min_size.cx;
        info->ptMinTrackSize.y = record->min_size.cy;
      }
      return 0;
    case WM_COMMAND:
      PushFromCommand(window, wparam, lparam);
      return 0;
    case WM_NOTIFY:
      return PushFromNotify(window, reinterpret_cast<NMHDR*>(lparam));
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
      return ColorControl(reinterpret_cast<HWND>(lparam), reinterpret_cast<HDC>(wparam),
                          DefWindowProcW(handle, message, wparam, lparam));
    default:
      return DefWindowProcW(handle, message, wparam, lparam);
  }
}

}  // namespace ui

using namespace ui;

bool StartUi() {
  UiState& state = State();
  if (state.post_office) return OnWindowThread();
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES |
                                                      ICC_TAB_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  OleInitialize(nullptr);
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = WindowProcedure;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = kWindowClass;
  window_class.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
  window_class.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                       GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
  RegisterClassExW(&window_class);
  WNDCLASSW post_class{};
  post_class.lpfnWndProc = PostOfficeProcedure;
  post_class.hInstance = instance;
  post_class.lpszClassName = kPostOfficeClass;
  RegisterClassW(&post_class);
  state.window_thread = GetCurrentThreadId();
  state.post_office = CreateWindowExW(0, kPostOfficeClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
  return state.post_office != nullptr;
}

bool OnWindowThread() { return State().window_thread == GetCurrentThreadId(); }

bool OpenWindow(std::int32_t number, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                const std::wstring& title, WindowStyle style, std::int32_t owner) {
  if (!StartUi()) return false;
  if (IsWindowOpen(number)) CloseWindowNumber(number);
  DWORD window_style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  DWORD extended = WS_EX_CONTROLPARENT;
  if (style != WindowStyle::Main) {
    window_style = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN | (style == WindowStyle::ToolWithClose ? WS_SYSMENU : 0);
    extended |= WS_EX_TOOLWINDOW;
  }
  RECT outer{0, 0, width, height};
  AdjustWindowRectEx(&outer, window_style, FALSE, extended);
  std::int32_t outer_width = outer.right - outer.left;
  std::int32_t outer_height = outer.bottom - outer.top;
  HWND owner_handle = WindowHandle(owner);
  if (style != WindowStyle::Main && owner_handle) {
    RECT owner_rect{};
    GetWindowRect(owner_handle, &owner_rect);
    x = std::max<std::int32_t>(0, owner_rect.left + (owner_rect.right - owner_rect.left - outer_width) / 2);
    y = std::max<std::int32_t>(0, owner_rect.top + (owner_rect.bottom - owner_rect.top - outer_height) / 2);
  }
  {
    std::lock_guard<std::recursive_mutex> hold(State().lock);
    WindowRecord& record = State().windows[number];
    record = WindowRecord{};
    record.owner = owner;
  }
  HWND handle = CreateWindowExW(extended, kWindowClass, title.c_str(), window_style, x, y, outer_width, outer_height,
                                owner_handle, nullptr, GetModuleHandleW(nullptr), nullptr);
  std::lock_guard<std::recursive_mutex> hold(State().lock);
  if (!handle) {
    State().windows.erase(number);
    return false;
  }
  // The class icon shows in the caption; handing it to the window as well
  // makes it the window's own icon for the task switcher and for queries.
  if (HICON big = reinterpret_cast<HICON>(GetClassLongPtrW(handle, GCLP_HICON)))
    SendMessageW(handle, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  if (HICON small_icon = reinterpret_cast<HICON>(GetClassLongPtrW(handle, GCLP_HICONSM)))
    SendMessageW(handle, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small_icon));
  WindowRecord& record = State().windows[number];
  record.handle = handle;
  record.generation = ++State().last_generation;
  record.gadget_parent = handle;
  State().current_window = number;
  ShowWindow(handle, SW_SHOWNORMAL);
  UpdateWindow(handle);
  return true;
}

void CloseWindowNumber(std::int32_t number) {
  WindowRecord* record = FindWindowRecord(number);
  if (!record) return;
  HWND handle = record->handle;
  if (HWND owner = WindowHandle(record->owner)) SetActiveWindow(owner);
  {
    // Forget the numbers first: nothing may reach the dying controls.
    std::lock_guard<std::recursive_mutex> hold(State().lock);
    for (auto gadget = State().gadgets.begin(); gadget != State().gadgets.end();) {
      if (gadget->second.window == number) {
        if (gadget->second.back_brush) DeleteObject(gadget->second.back_brush);
        gadget = State().gadgets.erase(gadget);
      } else {
        ++gadget;
      }
    }
  }
  HACCEL table = record->shortcut_table;
  HIMAGELIST images = record->toolbar_images;
  {
    std::lock_guard<std::recursive_mutex> hold(State().lock);
    record->generation = 0;
  }
  DestroyWindow(handle);
  if (table) DestroyAcceleratorTable(table);
  if (images) ImageList_Destroy(images);
  std::lock_guard<std::recursive_mutex> hold(State().lock);
  State().windows.erase(number);
  if (State().current_window == number) State().current_window = -1;
}

bool IsWindowOpen(std::int32_t number) {
  std::lock_guard<std::recursive_mutex> hold(State().lock);
  WindowRecord* record = FindWindowRecord(number);
  return record && record->handle;
}

void EnableWindowNumber(std::int32_t number, bool enable) {
  Write write;
  write.kind = WriteKind::WindowEnable;
  write.window = number;
  write.a = enable ? 1 : 0;
  Carry(std::move(write));
}

std::int32_t WindowClientWidth(std::int32_t number) {
  RECT client{};
  HWND handle = WindowHandle(number);
  return handle && GetClientRect(handle, &client) ? client.right : 0;
}

std::int32_t WindowClientHeight(std::int32_t number) {
  RECT client{};
  HWND handle = WindowHandle(number);
  return handle && GetClientRect(handle, &client) ? client.bottom : 0;
}

void FixMinimumSize(std::int32_t number) {
  WindowRecord* record = FindWindowRecord(number);
  RECT outer{};
  if (!record || !GetWindowRect(record->handle, &outer)) return;
  record->min_size = {outer.right - outer.left, outer.bottom - outer.top};
}

void SetCurrentWindow(std::int32_t number) {
  std::lock_guard<std::recursive_mutex> hold(State().lock);
  if (WindowRecord* record = FindWindowRecord(number)) {
    State().current_window = number;
    record->gadget_parent = record->handle;
  }
}

std::function<void()> BindToOpenWindows(std::function<void()> entry) {
  auto generations = std::make_shared<std::map<std::int32_t, std::uint32_t>>();
  {
    std::lock_guard<std::recursive_mutex> hold(State().lock);
    for (auto& [number, record] : State().windows) (*generations)[number] = record.generation;
  }
  return [generations, entry = std::move(entry)]() {
    t_bound_generations = generations.get();
    entry();
    t_bound_generations = nullptr;
  };
}

void CallOnWindowThread(std::int32_t number, std::function<void()> call) {
  ui::Write write;
  write.kind = ui::WriteKind::WindowCall;
  write.window = number;
  write.call = std::move(call);
  ui::Carry(std::move(write));
}

HWND WindowHandle(std::int32_t number) {
  std::lock_guard<std::recursive_mutex> hold(State().lock);
  WindowRecord* record = FindWindowRecord(number);
  return record ? record->handle : nullptr;
}
