// Toolbar and status bar of a window.
#include "ui/bars.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "ui/gadget.h"
#include "ui/gdi.h"
#include "ui/scale.h"
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
  const std::int32_t dpi = window.dpi;
  MoveWindow(window.progress, field.left + Scaled(2, dpi), field.top + Scaled(3, dpi),
             field.right - field.left - Scaled(8, dpi), field.bottom - field.top - Scaled(6, dpi), TRUE);
}

// A bar makes its own font (`own`, null for the system's) for the system's
// DPI: at that scale it keeps it, at another it gets it scaled.
void SetBarFont(HWND bar, HFONT own, std::int32_t dpi) {
  HFONT wanted = own ? FontAtDpi(own, dpi) : (dpi == SystemDpi() ? nullptr : GuiFont(dpi));
  if (reinterpret_cast<HFONT>(SendMessageW(bar, WM_GETFONT, 0, 0)) != wanted)
    SendMessageW(bar, WM_SETFONT, reinterpret_cast<WPARAM>(wanted), FALSE);
}

// An image list of the window's scale holding the buttons' images, in the
// order of their slots.
HIMAGELIST MakeToolbarImages(const WindowRecord& window) {
  const std::int32_t size = Scaled(16, window.dpi);
  HIMAGELIST images = CountedImageList(ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 4, 4));
  std::vector<std::pair<std::int32_t, std::int32_t>> slots;  // index, image
  for (const auto& [image, index] : window.image_slots)
    if (index >= 0) slots.emplace_back(index, image);
  std::sort(slots.begin(), slots.end());
  for (const auto& [index, image] : slots) ImageList_AddIcon(images, ImageIconAt(image, window.dpi));
  return images;
}

// The caption's width in the toolbar's font, plus 10 at 96 DPI.
bool SizeToolbarButton(WindowRecord& window, std::int32_t number) {
  const std::wstring& caption = window.captions[number];
  HDC dc = GetDC(window.toolbar);
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(window.toolbar, WM_GETFONT, 0, 0));
  HGDIOBJ old_font = SelectObject(dc, font ? font : GuiFont(window.dpi));
  SIZE extent{};
  GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &extent);
  SelectObject(dc, old_font);
  ReleaseDC(window.toolbar, dc);
  TBBUTTONINFOW info{};
  info.cbSize = sizeof(info);
  info.dwMask = TBIF_TEXT | TBIF_SIZE;
  info.pszText = const_cast<wchar_t*>(caption.c_str());
  info.cx = static_cast<WORD>(extent.cx + Scaled(10, window.dpi));
  const bool set = SendMessageW(window.toolbar, TB_SETBUTTONINFOW, static_cast<WPARAM>(number),
                                reinterpret_cast<LPARAM>(&info)) != FALSE;
  // Handing the toolbar its own font again makes every toolbar measure its
  // text line anew; some leave the button height as it was on TB_AUTOSIZE.
  SendMessageW(window.toolbar, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SendMessageW(window.toolbar, TB_AUTOSIZE, 0, 0);
  return set;
}

void SetStatusParts(WindowRecord& window) {
  std::vector<int> edges;
  int right = 0;
  for (std::int32_t width : window.status_widths) edges.push_back(Scaled(right += width, window.dpi));
  SendMessageW(window.status, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
  SendMessageW(window.status, SB_SETMINHEIGHT, static_cast<WPARAM>(Scaled(window.status_min_height, window.dpi)), 0);
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

void RescaleBars(WindowRecord& window) {
  if (window.toolbar) {
    SetBarFont(window.toolbar, window.toolbar_font, window.dpi);
    HIMAGELIST images = MakeToolbarImages(window);
    SendMessageW(window.toolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
    DestroyCountedImageList(window.toolbar_images);
    window.toolbar_images = images;
    for (const auto& [number, caption] : window.captions) SizeToolbarButton(window, number);
  }
  if (window.status) {
    SetBarFont(window.status, window.status_font, window.dpi);
    SetStatusParts(window);
  }
  LayOutBars(window);
}

void ApplyBarWrite(const Write& write, WindowRecord& window) {
  switch (write.kind) {
    case WriteKind::ToolbarEnable:
      if (!window.toolbar) return;
      SendMessageW(window.toolbar, TB_ENABLEBUTTON, static_cast<WPARAM>(write.button), MAKELONG(write.enable ? 1 : 0, 0));
      // The keyboard's button moves on from a button disabled under it, and back.
      if (write.enable)
        TakeBackToolbarKey(window, write.button);
      else
        LendToolbarKeyOfDisabled(window, write.button);
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
                                 WS_CHILD | WS_VISIBLE | WS_TABSTOP | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP, 0, 0, 0, 0,
                                 record->handle, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!toolbar) return false;
  SendMessageW(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  record->toolbar_font = reinterpret_cast<HFONT>(SendMessageW(toolbar, WM_GETFONT, 0, 0));
  record->toolbar_images = MakeToolbarImages(*record);
  SendMessageW(toolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(record->toolbar_images));
  std::lock_guard<std::recursive_mutex> hold(State().lock);
  record->toolbar = toolbar;
  SetBarFont(toolbar, record->toolbar_font, record->dpi);
  return true;
}

bool AddToolbarButton(std::int32_t window, std::int32_t number, std::int32_t image) {
  WindowRecord* record = WindowWithToolbar(window);
  if (!record) return false;
  auto slot = record->image_slots.find(image);
  if (slot == record->image_slots.end()) {
    HICON icon = ImageIconAt(image, record->dpi);
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
  SendMessageW(record->toolbar, TB_ADDSTRINGW, 0, reinterpret_cast<LPARAM>(reserve.c_str()));
  record->captions[number] = caption;
  return SizeToolbarButton(*record, number);
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
  return record ? Unscaled(HeightOf(record->toolbar), record->dpi) : 0;
}

bool CreateStatusBar(std::int32_t window, const std::vector<std::int32_t>& widths, std::int32_t min_height) {
  WindowRecord* record = FindWindowRecord(window);
  if (!record || record->status || widths.empty()) return false;
  HWND status = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0,
                                record->handle, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!status) return false;
  std::lock_guard<std::recursive_mutex> hold(State().lock);
  record->status = status;
  record->status_widths = widths;
  record->status_min_height = min_height;
  record->status_font = reinterpret_cast<HFONT>(SendMessageW(status, WM_GETFONT, 0, 0));
  SetBarFont(status, record->status_font, record->dpi);
  SetStatusParts(*record);
  SendMessageW(status, WM_SIZE, 0, 0);
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
  return record ? Unscaled(HeightOf(record->status), record->dpi) : 0;
}

void FillBetweenBars(std::int32_t window, std::int32_t gadget) {
  WindowRecord* record = FindWindowRecord(window);
  HWND control = GadgetHandle(gadget);
  RECT client{};
  if (!record || !control || !GetClientRect(record->handle, &client)) return;
  const std::int32_t top = HeightOf(record->toolbar);
  const std::int32_t height = std::max<std::int32_t>(0, client.bottom - top - HeightOf(record->status));
  MoveWindow(control, 0, top, client.right, height, TRUE);
  const std::int32_t dpi = record->dpi;
  std::lock_guard<std::recursive_mutex> hold(State().lock);
  if (GadgetRecord* placed = FindGadget(gadget))
    placed->place = RECT{0, Unscaled(top, dpi), Unscaled(client.right, dpi), Unscaled(height, dpi)};
}

void EnableToolbarButton(std::int32_t window, std::int32_t number, bool enable) {
  Write write = WindowWrite(WriteKind::ToolbarEnable, window);
  write.button = number;
  write.enable = enable;
  Carry(std::move(write));
}

void SetStatusText(std::int32_t window, std::int32_t field, const std::wstring& text) {
  Write write = WindowWrite(WriteKind::StatusText, window);
  write.field = field;
  write.text = text;
  Carry(std::move(write));
}

void SetStatusProgress(std::int32_t window, std::int32_t percent) {
  Write write = WindowWrite(WriteKind::StatusProgress, window);
  write.percent = percent;
  Carry(std::move(write));
}
