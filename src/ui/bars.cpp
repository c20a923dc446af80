// Toolbar and status bar of a window.
#include "ui/bars.h"

#include <windows.h>

#include <commctrl.h>

#include "ui/image.h"
#include "ui/ui_state.h"
#include "ui/window.h"
#include "ui/write.h"

namespace {

using namespace ui;

WindowRecord* WindowWithToolbar(std::int32_t window) {
  WindowRecord* record = FindWindowRecord(window);
  return record && record->toolbar ? record : nullptr;
}

std::int32_t HeightOf(HWND handle) {
  RECT rect{};
  return handle && GetWindowRect(handle, &rect) ? rect.bottom - rect.top : 0;
}

void PlaceProgress(WindowRecord& window) {
  if (!window.progress) return;
  RECT field{};
  SendMessageW(window.status, SB_GETRECT, static_cast<WPARAM>(window.progress_field), reinterpret_cast<LPARAM>(&field));
  // Inset 2 from the field's left, 3 from its top, 8 narrower and 6 less tall.
  MoveWindow(window.progress, field.left + 2, field.top + 3, field.right - field.left - 8,
             field.bottom - field.top - 6, TRUE);
}

Write BarWrite(WriteKind kind, std::int32_t window) {
  Write write;
  write.kind = kind;
  write.window = window;
  return write;
}

}  // namespace

namespace ui {

void LayOutBars(WindowRecord& window) {
  if (window.toolbar) SendMessageW(window.toolbar, TB_AUTOSIZE, 0, 0);
  if (window.status) {
    SendMessageW(window.status, WM_SIZE, 0, 0);
    PlaceProgress(window);
  }
}

void ApplyBarWrite(const Write& write, WindowRecord& window) {
  switch (write.kind) {
    case WriteKind::ToolbarEnable:
      if (window.toolbar) SendMessageW(window.toolbar, TB_ENABLEBUTTON, static_cast<WPARAM>(write.button), MAKELONG(write.enable ? 1 : 0, 0));
      return;
    case WriteKind::StatusText:
      if (window.status)
        SendMessageW(window.status, SB_SETTEXTW, static_cast<WPARAM>(write.field), reinterpret_cast<LPARAM>(write.text.c_str()));
      return;
    case WriteKind::StatusProgress:
      if (window.progress) SendMessageW(window.progress, PBM_SETPOS, static_cast<WPARAM>(std::min(write.percent, 100)), 0);
      return;
    default:
      return;
  }
}

}  // namespace ui

bool CreateToolbar(std::int32_t window) {
  WindowRecord* record = FindWindowRecord(window);
  if (!record || record->toolbar) return false;
  HWND toolbar = CreateWindowExW(0, TOOLBARCLASSNAMEW, L"",
                                 WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP, 0, 0, 0, 0,
                                 record->handle, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!toolbar) return false;
  SendMessageW(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  record->toolbar_images = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 4, 4);
  SendMessageW(toolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(record->toolbar_images));
  std::lock_guard<std::recursive_mutex> hold(State().lock);
  record->toolbar = toolbar;
  return true;
}

bool AddToolbarButton(std::int32_t window, std::int32_t number, std::int32_t image) {
  WindowRecord* record = WindowWithToolbar(window);
  if (!record) return false;
  auto slot = record->image_slots.find(image);
  if (slot == record->image_slots.end()) {
    HICON icon = ImageIcon(image);
    std::int32_t index = icon ? ImageList_AddIcon(record->toolbar_images, icon) : -1;
    slot = record->image_slots.emplace(image, index).first;
  }
  TBBUTTON button{};
  button.iBitmap = slot->second >= 0 ? slot->second : I_IMAGENONE;
  button.idCommand = number;
  button.fsState = TBSTATE_ENABLED;
  button.fsStyle = BTNS_BUTTON;
  button.iString = -1;
  return SendMessageW(record->toolbar, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&button)) != FALSE;
}

bool AddToolbarSeparator(std::int32_t window) {
  WindowRecord* record = WindowWithToolbar(window);
  if (!record) return false;
  TBBUTTON separator{};
  separator.fsStyle = BTNS_SEP;
  separator.iString = -1;
  return SendMessageW(record->toolbar, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&separator)) != FALSE;
}

bool SetToolbarCaption(std::int32_t window, std::int32_t number, const std::wstring& caption) {
  WindowRecord* record = WindowWithToolbar(window);
  if (!record) return false;
  // A blank string in the toolbar's list makes it reserve a text line under
  // the icons; 128 spaces and the list's closing second terminator.
  static const std::wstring reserve = std::wstring(128, L' ') + L'\0';
  HDC dc = GetDC(record->toolbar);
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(record->toolbar, WM_GETFONT, 0, 0));
  HGDIOBJ old_font = SelectObject(dc, font ? font : GuiFont());
  SIZE extent{};
  GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &extent);
  SelectObject(dc, old_font);
  ReleaseDC(record->toolbar, dc);
  SendMessageW(record->toolbar, TB_ADDSTRINGW, 0, reinterpret_cast<LPARAM>(reserve.c_str()));
  TBBUTTONINFOW info{};
  info.cbSize = sizeof(info);
  info.dwMask = TBIF_TEXT | TBIF_SIZE;
  info.pszText = const_cast<wchar_t*>(caption.c_str());
  info.cx = static_cast<WORD>(extent.cx + 10);
  bool set = SendMessageW(record->toolbar, TB_SETBUTTONINFOW, static_cast<WPARAM>(number),
                          reinterpret_cast<LPARAM>(&info)) != FALSE;
  // Handing the toolbar its own font again makes every toolbar measure its
  // text line anew; some leave the button height as it was on TB_AUTOSIZE.
  SendMessageW(record->toolbar, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SendMessageW(record->toolbar, TB_AUTOSIZE, 0, 0);
  return set;
}

bool SetToolbarTooltip(std::int32_t window, std::int32_t number, const std::wstring& text) {
  WindowRecord* record = WindowWithToolbar(window);
  if (!record) return false;
  record->tooltips[number] = text;
  HWND tips = reinterpret_cast<HWND>(SendMessageW(record->toolbar, TB_GETTOOLTIPS, 0, 0));
  if (!tips) return false;
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.hwnd = record->toolbar;
  tool.uId = static_cast<UINT_PTR>(number);
  tool.lpszText = const_cast<wchar_t*>(record->tooltips[number].c_str());
  SendMessageW(tips, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  return true;
}

std::int32_t ToolbarHeight(std::int32_t window) {
  WindowRecord* record = FindWindowRecord(window);
  return record ? HeightOf(record->toolbar) : 0;
}

bool CreateStatusBar(std::int32_t window, const std::vector<std::int32_t>& widths, std::int32_t min_height) {
  WindowRecord* record = FindWindowRecord(window);
  if (!record || record->status || widths.empty()) return false;
  HWND status = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0,
                                record->handle, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!status) return false;
  std::vector<int> edges;
  int right = 0;
  for (std::int32_t width : widths) edges.push_back(right += width);
  SendMessageW(status, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
  SendMessageW(status, SB_SETMINHEIGHT, static_cast<WPARAM>(min_height), 0);
  SendMessageW(status, WM_SIZE, 0, 0);
  std::lock_guard<std::recursive_mutex> hold(State().lock);
  record->status = status;
  return true;
}

bool AddStatusProgress(std::int32_t window, std::int32_t field) {
  WindowRecord* record = FindWindowRecord(window);
  if (!record || !record->status || record->progress) return false;
  HWND progress = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE | PBS_SMOOTH, 0, 0, 0, 0,
                                  record->status, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!progress) return false;
  SendMessageW(progress, PBM_SETRANGE32, 0, 100);
  SendMessageW(progress, PBM_SETPOS, 0, 0);
  std::lock_guard<std::recursive_mutex> hold(State().lock);
  record->progress = progress;
  record->progress_field = field;
  PlaceProgress(*record);
  return true;
}

std::int32_t StatusBarHeight(std::int32_t window) {
  WindowRecord* record = FindWindowRecord(window);
  return record ? HeightOf(record->status) : 0;
}

void EnableToolbarButton(std::int32_t window, std::int32_t number, bool enable) {
  Write write = BarWrite(WriteKind::ToolbarEnable, window);
  write.button = number;
  write.enable = enable;
  Carry(std::move(write));
}

void SetStatusText(std::int32_t window, std::int32_t field, const std::wstring& text) {
  Write write = BarWrite(WriteKind::StatusText, window);
  write.field = field;
  write.text = text;
  Carry(std::move(write));
}

void SetStatusProgress(std::int32_t window, std::int32_t percent) {
  Write write = BarWrite(WriteKind::StatusProgress, window);
  write.percent = percent;
  Carry(std::move(write));
}
