// The main window as start-up builds it: title, menus, shortcuts, toolbar,
// status bar and list, its icons, and every window laid out for the display's DPI.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cwctype>

#include <string>
#include <vector>

#include "app/calculation_run.h"
#include "app/dispatch.h"
#include "app/file_list.h"
#include "app/main_window.h"
#include "app/program.h"
#include "app/save_checksum_list.h"
#include "formats/settings.h"
#include "ui/bars.h"
#include "ui/events.h"
#include "ui/gadget.h"
#include "ui/gdi.h"
#include "ui/image.h"
#include "ui/scale.h"
#include "ui/window.h"
#include "program_test_support.h"
#include "test_files.h"
#include "ui_test_support.h"
#include "under_wine.h"
#include "windows/about_window.h"
#include "version.h"
#include "windows/file_verifier_window.h"
#include "windows/md5_file_verifier_window.h"
#include "windows/options_window.h"
#include "windows/text_digest_window.h"

namespace {

HWND Child(const wchar_t* window_class) {
  return FindWindowExW(WindowHandle(kMainWindow), nullptr, window_class, nullptr);
}

std::wstring MenuText(HMENU menu, int position) {
  wchar_t text[128] = L"";
  GetMenuStringW(menu, static_cast<UINT>(position), text, 128, MF_BYPOSITION);
  return text;
}

struct MenuItem {
  int number;  // -1 for a rule
  std::wstring text;
  bool operator==(const MenuItem& other) const { return number == other.number && text == other.text; }
};

void PrintTo(const MenuItem& item, std::ostream* out) { *out << item.number << " (" << item.text.size() << " chars)"; }

std::vector<MenuItem> ItemsOf(HMENU menu) {
  std::vector<MenuItem> items;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_ID;
    GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
    if (info.fType & MFT_SEPARATOR)
      items.push_back({-1, L""});
    else
      items.push_back({static_cast<int>(info.wID), MenuText(menu, i)});
  }
  return items;
}

std::wstring ButtonText(HWND toolbar, int command) {
  wchar_t text[64] = L"";
  SendMessageW(toolbar, TB_GETBUTTONTEXTW, static_cast<WPARAM>(command), reinterpret_cast<LPARAM>(text));
  return text;
}

int ButtonWidth(HWND toolbar, int command) {
  RECT rect{};
  int index = static_cast<int>(SendMessageW(toolbar, TB_COMMANDTOINDEX, static_cast<WPARAM>(command), 0));
  SendMessageW(toolbar, TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
  return rect.right - rect.left;
}

int TextWidthInToolbarFont(HWND toolbar, const std::wstring& text) {
  HDC dc = GetDC(toolbar);
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(toolbar, WM_GETFONT, 0, 0));
  HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
  SIZE extent{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
  SelectObject(dc, old);
  ReleaseDC(toolbar, dc);
  return extent.cx;
}

RECT ListRect() {
  RECT rect{};
  HWND list = GadgetHandle(kFileListGadget);
  GetWindowRect(list, &rect);
  MapWindowPoints(nullptr, WindowHandle(kMainWindow), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

using MainWindowTest = ProgramTest;

TEST_F(MainWindowTest, TitlePositionAndSizes) {
  HWND main = WindowHandle(kMainWindow);
  EXPECT_EQ(WindowText(main), L"Sumwick 0.5 Build 284");
  RECT outer{};
  GetWindowRect(main, &outer);
  EXPECT_EQ(outer.left, 388);
  EXPECT_EQ(outer.top, 177);
  EXPECT_EQ(WindowClientWidth(kMainWindow), 690);
  // The menu bar took its height out of the 320 pixels; the outer size stayed.
  RECT expected{0, 0, 690, 320};
  AdjustWindowRectEx(&expected, static_cast<DWORD>(GetWindowLongW(main, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongW(main, GWL_EXSTYLE)));
  EXPECT_EQ(outer.right - outer.left, expected.right - expected.left);
  EXPECT_EQ(outer.bottom - outer.top, expected.bottom - expected.top);
  EXPECT_LT(WindowClientHeight(kMainWindow), 320);
  LONG style = GetWindowLongW(main, GWL_STYLE);
  EXPECT_TRUE(style & WS_THICKFRAME);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_TRUE(style & WS_MAXIMIZEBOX);
  HICON big = reinterpret_cast<HICON>(SendMessageW(main, WM_GETICON, ICON_BIG, 0));
  ASSERT_NE(big, nullptr) << "the program icon is the window's icon";
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(big, &info));
  BITMAP bitmap{};
  GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap);
  EXPECT_EQ(bitmap.bmWidth, GetSystemMetrics(SM_CXICON));
  EXPECT_EQ(bitmap.bmBitsPixel, 32);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  EXPECT_NE(SendMessageW(main, WM_GETICON, ICON_SMALL, 0), 0);
  MINMAXINFO limits{};
  SendMessageW(main, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
  EXPECT_EQ(limits.ptMinTrackSize.x, expected.right - expected.left);
  EXPECT_EQ(limits.ptMinTrackSize.y, expected.bottom - expected.top);
}

TEST_F(MainWindowTest, MenusHaveTheirTextsNumbersAndRules) {
  HMENU bar = GetMenu(WindowHandle(kMainWindow));
  ASSERT_EQ(GetMenuItemCount(bar), 4);
  EXPECT_EQ(MenuText(bar, 0), L"File");
  EXPECT_EQ(MenuText(bar, 1), L"Edit");
  EXPECT_EQ(MenuText(bar, 2), L"Tools");
  EXPECT_EQ(MenuText(bar, 3), L"Help");
  std::vector<MenuItem> file{{0, L"Add File"}, {-1, L""}, {4, L"Save MD5"}, {-1, L""}, {5, L"Exit"}};
  std::vector<MenuItem> edit{{6, L"Copy\tCtrl+C"}, {7, L"Delete\tDel"}, {-1, L""}, {8, L"Clear list\tShift+Del"}};
  std::vector<MenuItem> tools{{9, L"Verify MD5 file"}, {10, L"Verify file"}, {11, L"Text to MD5"}};
  std::vector<MenuItem> help{{99, L"About"}};
  EXPECT_EQ(ItemsOf(GetSubMenu(bar, 0)), file);
  EXPECT_EQ(ItemsOf(GetSubMenu(bar, 1)), edit);
  EXPECT_EQ(ItemsOf(GetSubMenu(bar, 2)), tools);
  EXPECT_EQ(ItemsOf(GetSubMenu(bar, 3)), help);
}

TEST_F(MainWindowTest, ShortcutsGiveTheirMenuEventsWhateverHasTheFocus) {
  SetForegroundWindow(WindowHandle(kMainWindow));
  HWND list = GadgetHandle(kFileListGadget);
  SetFocus(list);
  std::vector<SeenEvent> copy = PressKey(list, 'C', true, false);
  std::vector<SeenEvent> del = PressKey(list, VK_DELETE);
  std::vector<SeenEvent> clear = PressKey(list, VK_DELETE, false, true);
  ASSERT_EQ(copy.size(), 1u);
  EXPECT_EQ(copy[0], (SeenEvent{kEventMenu, kMainWindow, -1, kMenuCopy, 0, {}}));
  ASSERT_EQ(del.size(), 1u);
  EXPECT_EQ(del[0].menu, kMenuDelete);
  ASSERT_EQ(clear.size(), 1u);
  EXPECT_EQ(clear[0].menu, kMenuClearList);
}

// Each toolbar button shows its own picture at the window's scale: of the
// four, the image list's copy (which may differ from the icon in a few
// pixels) is nearest its own.
void ExpectEachButtonShowsItsPicture(HWND toolbar, int dpi) {
  const HIMAGELIST pictures = reinterpret_cast<HIMAGELIST>(SendMessageW(toolbar, TB_GETIMAGELIST, 0, 0));
  const auto differing = [](const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b) {
    std::size_t count = 0;
    for (std::size_t k = 0; k < std::min(a.size(), b.size()); ++k) count += a[k] != b[k];
    return count + (a.size() > b.size() ? a.size() - b.size() : b.size() - a.size());
  };
  for (std::size_t command = 0; command < 4; ++command) {
    TBBUTTONINFOW info{sizeof info, TBIF_IMAGE};
    SendMessageW(toolbar, TB_GETBUTTONINFOW, command, reinterpret_cast<LPARAM>(&info));
    const HICON shown = ImageList_GetIcon(pictures, info.iImage, ILD_NORMAL);
    ASSERT_NE(shown, nullptr) << command;
    const std::vector<std::uint32_t> pixels = IconPixels(shown);
    DestroyIcon(shown);
    std::size_t nearest = 0;
    for (std::size_t image = 1; image < 4; ++image)
      if (differing(pixels, IconPixels(ui::ImageIconAt(kMainWindowImages[image], dpi))) <
          differing(pixels, IconPixels(ui::ImageIconAt(kMainWindowImages[nearest], dpi))))
        nearest = image;
    EXPECT_EQ(nearest, command) << "at " << dpi << " DPI";
  }
}

TEST_F(MainWindowTest, ToolbarButtonsCaptionsWidthsAndTooltips) {
  HWND toolbar = Child(TOOLBARCLASSNAMEW);
  ASSERT_NE(toolbar, nullptr);
  EXPECT_TRUE(GetWindowLongW(toolbar, GWL_STYLE) & TBSTYLE_FLAT);
  // The manifest selects the version 6 common controls: the loader takes
  // them from the side-by-side store rather than the system folder.
  wchar_t controls[MAX_PATH] = L"";
  GetModuleFileNameW(GetModuleHandleW(L"comctl32.dll"), controls, MAX_PATH);
  std::wstring controls_path(controls);
  for (wchar_t& c : controls_path) c = static_cast<wchar_t>(towlower(c));
  EXPECT_NE(controls_path.find(L"common-controls"), std::wstring::npos) << "comctl32 from the system folder";
  EXPECT_NE(controls_path.find(L"_6.0."), std::wstring::npos);
  // The manifest names the program's own version.
  HRSRC manifest = FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
  ASSERT_NE(manifest, nullptr);
  const std::string manifest_text(static_cast<const char*>(LockResource(LoadResource(nullptr, manifest))),
                                  SizeofResource(nullptr, manifest));
  EXPECT_NE(manifest_text.find(std::string("name=\"Sumwick\" version=\"") + SUMWICK_VERSION_TEXT + "\""),
            std::string::npos);
  ASSERT_EQ(SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0), 6);
  const int commands[] = {0, -1, 1, 2, -1, 3};
  for (int index = 0; index < 6; ++index) {
    TBBUTTON button{};
    SendMessageW(toolbar, TB_GETBUTTON, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&button));
    if (commands[index] < 0) {
      EXPECT_TRUE(button.fsStyle & BTNS_SEP) << index;
    } else {
      EXPECT_EQ(button.idCommand, commands[index]) << index;
    }
  }
  const std::wstring captions[] = {L"Open", L"Start", L"Stop", L"Options"};
  for (int command = 0; command < 4; ++command) {
    EXPECT_EQ(ButtonText(toolbar, command), captions[command]);
    EXPECT_EQ(ButtonWidth(toolbar, command), TextWidthInToolbarFont(toolbar, captions[command]) + 10) << command;
  }
  EXPECT_NE(ButtonWidth(toolbar, 0), ButtonWidth(toolbar, 3));
  ExpectEachButtonShowsItsPicture(toolbar, ui::kBaseDpi);

  HWND tips = reinterpret_cast<HWND>(SendMessageW(toolbar, TB_GETTOOLTIPS, 0, 0));
  ASSERT_NE(tips, nullptr);
  const std::wstring tooltips[] = {L"Add File", L"Calculate", L"Stop", L"Options"};
  for (int command = 0; command < 4; ++command) {
    wchar_t text[80] = L"";
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = toolbar;
    tool.uId = static_cast<UINT_PTR>(command);
    tool.lpszText = text;
    SendMessageW(tips, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&tool));
    EXPECT_EQ(std::wstring(text), tooltips[command]) << command;
  }

  // A toolbar button arrives as the menu event of its number.
  SendMessageW(toolbar, WM_COMMAND, MAKEWPARAM(3, BN_CLICKED), reinterpret_cast<LPARAM>(toolbar));
  std::vector<SeenEvent> seen = ServeFor(50);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0], (SeenEvent{kEventMenu, kMainWindow, -1, kMenuOptions, 0, {}}));
}

TEST_F(MainWindowTest, StatusBarFieldsProgressAndIdle) {
  HWND status = Child(STATUSCLASSNAMEW);
  ASSERT_NE(status, nullptr);
  int edges[4] = {};
  ASSERT_EQ(SendMessageW(status, SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges)), 2);
  EXPECT_EQ(edges[0], 200);
  EXPECT_EQ(edges[1], 300);
  wchar_t text[64] = L"";
  SendMessageW(status, SB_GETTEXTW, kStateField, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, L"Idle");
  EXPECT_GE(StatusBarHeight(kMainWindow), 18);
  HWND progress = FindWindowExW(status, nullptr, PROGRESS_CLASSW, nullptr);
  ASSERT_NE(progress, nullptr);
  EXPECT_TRUE(GetWindowLongW(progress, GWL_STYLE) & PBS_SMOOTH);
  EXPECT_EQ(SendMessageW(progress, PBM_GETPOS, 0, 0), 0);
  EXPECT_EQ(SendMessageW(progress, PBM_GETRANGE, FALSE, 0), 100);
  EXPECT_EQ(SendMessageW(progress, PBM_GETRANGE, TRUE, 0), 0);
}

TEST_F(MainWindowTest, FileListColumnsAndOptions) {
  HWND list = GadgetHandle(kFileListGadget);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(ClassName(list), L"SysListView32");
  LONG style = GetWindowLongW(list, GWL_STYLE);
  EXPECT_EQ(style & LVS_TYPEMASK, LVS_REPORT);
  EXPECT_TRUE(style & LVS_SINGLESEL);
  EXPECT_TRUE(style & LVS_SHOWSELALWAYS);
  EXPECT_TRUE(style & LVS_OWNERDATA) << "the rows live in the program's copy only";
  DWORD extended = static_cast<DWORD>(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
  EXPECT_TRUE(extended & LVS_EX_CHECKBOXES);
  EXPECT_TRUE(extended & LVS_EX_FULLROWSELECT);
  EXPECT_TRUE(extended & LVS_EX_GRIDLINES);
  const std::wstring titles[] = {L"File", L"Size", L"Hash"};
  const int widths[] = {390, 60, 200};
  for (int column = 0; column < 3; ++column) {
    EXPECT_EQ(ListColumn(list, column).title, titles[column]);
    EXPECT_EQ(ListColumn(list, column).width, widths[column]);
  }
  RECT rect = ListRect();
  EXPECT_EQ(rect.left, 0);
  EXPECT_EQ(rect.top, ToolbarHeight(kMainWindow));
  EXPECT_EQ(rect.right, 690);
  EXPECT_EQ(rect.bottom, WindowClientHeight(kMainWindow) - StatusBarHeight(kMainWindow));
}

TEST_F(MainWindowTest, ResizeReLaysTheListBetweenToolbarAndStatusBar) {
  HWND main = WindowHandle(kMainWindow);
  ShowWindow(main, SW_MAXIMIZE);
  int size_events = 0;
  for (int turn = 0; turn < 20; ++turn) {
    std::int32_t kind = ServeNextEvent(100);
    if (kind == 0) break;
    if (kind == kEventSize && TheProgram().event.window == kMainWindow) ++size_events;
  }
  EXPECT_GT(size_events, 0);
  RECT rect = ListRect();
  EXPECT_GT(WindowClientWidth(kMainWindow), 690);
  EXPECT_EQ(rect.top, ToolbarHeight(kMainWindow));
  EXPECT_EQ(rect.right, WindowClientWidth(kMainWindow));
  EXPECT_EQ(rect.bottom, WindowClientHeight(kMainWindow) - StatusBarHeight(kMainWindow));
  HWND status = Child(STATUSCLASSNAMEW);
  RECT status_rect{};
  GetWindowRect(status, &status_rect);
  EXPECT_EQ(status_rect.right - status_rect.left, WindowClientWidth(kMainWindow));
  ShowWindow(main, SW_RESTORE);
  for (int turn = 0; turn < 20 && ServeNextEvent(100) != 0; ++turn) {
  }
  EXPECT_EQ(ListRect().right, 690);
  EXPECT_EQ(ListRect().bottom, WindowClientHeight(kMainWindow) - StatusBarHeight(kMainWindow));
}

TEST(ToolbarIcons, AreOne16PixelImageEachLoadedAsStored) {
  for (int image = 0; image < 4; ++image) {
    const std::int32_t resource = kToolbarIconResources[image];
    EXPECT_EQ(IconResourceImageCount(resource), 1);
    const HICON stored = StoredIconImage(resource, 16);
    ASSERT_NE(stored, nullptr);
    ASSERT_TRUE(LoadIconImage(20 + image, resource, 16));
    const IconImageSize size = SizeOfIcon(ImageIcon(20 + image));
    EXPECT_EQ(size.width, 16);
    EXPECT_EQ(size.height, 16);
    EXPECT_EQ(size.bits, 32);
    const std::vector<std::uint32_t> pixels = IconPixels(ImageIcon(20 + image));
    ASSERT_EQ(pixels.size(), 2u * 16 * 16);
    EXPECT_LT(std::count(pixels.begin(), pixels.begin() + 16 * 16, 0u), 16 * 16) << "a picture, not a blank";
    EXPECT_EQ(pixels, IconPixels(stored));
    DestroyIcon(stored);
  }
  // Drawn anew for another scale, each image leaves only its kept icon.
  for (int image = 0; image < 4; ++image) {
    const ui::GdiCounts before = ui::LiveGdi();
    ASSERT_NE(ui::ImageIconAt(20 + image, 120), nullptr);
    ASSERT_NE(ui::ImageIconAt(20 + image, 120), nullptr) << "kept, not made again";
    const ui::GdiCounts after = ui::LiveGdi();
    EXPECT_EQ(after.icons, before.icons + 1) << image;
    EXPECT_EQ(after.objects, before.objects) << image;
    EXPECT_EQ(after.dcs, before.dcs) << image;
  }
  EXPECT_FALSE(LoadIconImage(30, 999, 16)) << "no such resource";
  EXPECT_EQ(ImageIcon(30), nullptr);
}

// ---- Display scale

int At(int value, int dpi) { return MulDiv(value, dpi, 96); }

// A rectangle of 96-DPI units (x, y, width, height) as the pixels at `dpi`:
// its edges scale, so that neighbours stay neighbours.
RECT PlaceAt(int x, int y, int width, int height, int dpi) {
  return RECT{At(x, dpi), At(y, dpi), At(x + width, dpi), At(y + height, dpi)};
}

RECT RectInParent(HWND child) {
  RECT rect{};
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

void ExpectPlace(std::int32_t gadget, RECT expected) {
  const RECT rect = RectInParent(GadgetHandle(gadget));
  EXPECT_EQ(rect.left, expected.left) << "gadget " << gadget;
  EXPECT_EQ(rect.top, expected.top) << "gadget " << gadget;
  EXPECT_EQ(rect.right, expected.right) << "gadget " << gadget;
  EXPECT_EQ(rect.bottom, expected.bottom) << "gadget " << gadget;
}

int IconWidth(HICON icon) { return SizeOfIcon(icon).width; }

// The text of `control` shows whole in it, measured in the control's own
// font: within its height where it wraps, else on one line within its width
// (less a frame's caption indent); a check box by its own measure, box and
// gap included.
void ExpectTextFits(HWND control, int dpi) {
  const std::wstring text = WindowText(control);
  const std::wstring kind = ClassName(control);
  if (text.empty() || kind == L"Edit") return;
  RECT client{};
  GetClientRect(control, &client);
  const LONG style = GetWindowLongW(control, GWL_STYLE);
  if (kind == L"Button" && (style & BS_TYPEMASK) == BS_AUTOCHECKBOX) {
    SIZE ideal{};
    ASSERT_TRUE(SendMessageW(control, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)));
    EXPECT_LE(ideal.cx, client.right) << "too narrow for its text: gadget " << GetDlgCtrlID(control) - 1000;
    EXPECT_LE(ideal.cy, client.bottom) << "too low for its text: gadget " << GetDlgCtrlID(control) - 1000;
    return;
  }
  LONG room = client.right;
  UINT flags = DT_CALCRECT | DT_NOPREFIX | DT_SINGLELINE;
  if (kind == L"Static" && (style & SS_TYPEMASK) != SS_LEFTNOWORDWRAP) flags = DT_CALCRECT | DT_NOPREFIX | DT_WORDBREAK;
  if (kind == L"Button" && (style & BS_TYPEMASK) == BS_GROUPBOX) room -= At(16, dpi);
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
  RECT needed{0, 0, room, 0};
  DrawTextW(dc, text.c_str(), -1, &needed, flags);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  EXPECT_LE(needed.right, room) << "too narrow for its text: gadget " << GetDlgCtrlID(control) - 1000;
  EXPECT_LE(needed.bottom, client.bottom) << "too low for its text: gadget " << GetDlgCtrlID(control) - 1000;
}

void ExpectTextsFit(HWND window, int dpi) {
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    ExpectTextFits(child, dpi);
    ExpectTextsFit(child, dpi);  // a panel's boxes
  }
}

// The main window as laid out for `dpi`: client width, columns, status
// fields and progress inset, caption widths, icon sizes, and the list
// between the bars to the pixel.
void ExpectMainWindowAt(int dpi, bool sized_for_it = true) {
  SCOPED_TRACE("main window at " + std::to_string(dpi) + " DPI");
  HWND main = WindowHandle(kMainWindow);
  EXPECT_EQ(WindowDpi(kMainWindow), dpi);
  RECT client{};
  GetClientRect(main, &client);
  if (sized_for_it) {
    EXPECT_EQ(client.right, At(690, dpi));
    EXPECT_EQ(WindowClientWidth(kMainWindow), 690) << "read back in 96-DPI units";
  }
  HWND list = GadgetHandle(kFileListGadget);
  const int widths[] = {390, 60, 200};
  for (int column = 0; column < 3; ++column)
    EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, column, 0), At(widths[column], dpi)) << column;

  HWND status = Child(STATUSCLASSNAMEW);
  int edges[2] = {};
  SendMessageW(status, SB_GETPARTS, 2, reinterpret_cast<LPARAM>(edges));
  EXPECT_EQ(edges[0], At(200, dpi));
  EXPECT_EQ(edges[1], At(300, dpi));
  RECT status_rect{};
  GetWindowRect(status, &status_rect);
  EXPECT_GE(status_rect.bottom - status_rect.top, At(18, dpi));
  RECT field{};
  SendMessageW(status, SB_GETRECT, 0, reinterpret_cast<LPARAM>(&field));
  const RECT bar = RectInParent(FindWindowExW(status, nullptr, PROGRESS_CLASSW, nullptr));
  EXPECT_EQ(bar.left, field.left + At(2, dpi));
  EXPECT_EQ(bar.top, field.top + At(3, dpi));
  EXPECT_EQ(bar.right - bar.left, field.right - field.left - At(8, dpi));
  EXPECT_EQ(bar.bottom - bar.top, field.bottom - field.top - At(6, dpi));

  // The text is drawn at the scale too: the 8-point GUI font is 11 pixels
  // high at 96 DPI.
  LOGFONTW list_font{};
  ASSERT_TRUE(GetObjectW(reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)), sizeof list_font, &list_font));
  EXPECT_EQ(list_font.lfHeight, MulDiv(-11, dpi, 96));

  HWND toolbar = Child(TOOLBARCLASSNAMEW);
  int icon_width = 0, icon_height = 0;
  ImageList_GetIconSize(reinterpret_cast<HIMAGELIST>(SendMessageW(toolbar, TB_GETIMAGELIST, 0, 0)), &icon_width,
                        &icon_height);
  EXPECT_EQ(icon_width, At(16, dpi));
  ExpectEachButtonShowsItsPicture(toolbar, dpi);
  const std::wstring captions[] = {L"Open", L"Start", L"Stop", L"Options"};
  for (int command = 0; command < 4; ++command)
    EXPECT_EQ(ButtonWidth(toolbar, command), TextWidthInToolbarFont(toolbar, captions[command]) + At(10, dpi))
        << command;
  EXPECT_EQ(IconWidth(reinterpret_cast<HICON>(SendMessageW(main, WM_GETICON, ICON_SMALL, 0))), At(16, dpi));
  EXPECT_EQ(IconWidth(reinterpret_cast<HICON>(SendMessageW(main, WM_GETICON, ICON_BIG, 0))), At(32, dpi));

  RECT toolbar_rect{};
  GetWindowRect(toolbar, &toolbar_rect);
  const RECT rect = ListRect();
  EXPECT_EQ(rect.left, 0);
  EXPECT_EQ(rect.top, toolbar_rect.bottom - toolbar_rect.top);
  EXPECT_EQ(rect.right, client.right);
  EXPECT_EQ(rect.bottom, client.bottom - (status_rect.bottom - status_rect.top));
}

void OpenByMenu(std::int32_t menu) {
  PostMessageW(WindowHandle(kMainWindow), WM_COMMAND, MAKEWPARAM(menu, 0), 0);
  for (int turn = 0; turn < 20 && ServeNextEvent(50) != 0; ++turn) {
  }
}

void CloseTool(std::int32_t window) {
  CloseWindowNumber(window);
  EnableWindowNumber(kMainWindow, true);
}

// The tool windows as laid out for `dpi`: their client sizes, the places of
// the Options and About gadgets, and every text whole.
void ExpectToolWindowsAt(int dpi) {
  SCOPED_TRACE("tool windows at " + std::to_string(dpi) + " DPI");
  struct Tool {
    std::int32_t menu, window, width, height;
  };
  const Tool tools[] = {Tool{kMenuOptions, kOptionsWindow, 370, 200}, Tool{kMenuAbout, kAboutWindow, 240, 175},
                        Tool{kMenuVerifyFile, kFileVerifierWindow, 342, 162},
                        Tool{kMenuTextToMd5, kTextDigestWindow, 441, 251}};
  for (const Tool& tool : tools) {
    OpenByMenu(tool.menu);
    HWND window = WindowHandle(tool.window);
    ASSERT_NE(window, nullptr) << "window " << tool.window;
    EXPECT_EQ(WindowDpi(tool.window), dpi) << "a tool window takes its owner's scale";
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, At(tool.width, dpi)) << "window " << tool.window;
    EXPECT_EQ(client.bottom, At(tool.height, dpi)) << "window " << tool.window;
    if (tool.window == kOptionsWindow) {
      ExpectPlace(1, PlaceAt(210, 165, 70, 22, dpi));
      ExpectPlace(4, PlaceAt(10, 10, 350, 145, dpi));
      ExpectPlace(3, PlaceAt(10, 5, 320, 20, dpi));
      ExpectPlace(5, PlaceAt(10, 25, 320, 20, dpi));
    }
    if (tool.window == kAboutWindow) {
      ExpectPlace(100, PlaceAt(10, 10, 48, 48, dpi));
      ExpectPlace(104, PlaceAt(10, 72, 70, 13, dpi));
      ExpectPlace(105, PlaceAt(10, 110, 210, 30, dpi));
      EXPECT_EQ(IconWidth(reinterpret_cast<HICON>(SendMessageW(GadgetHandle(100), STM_GETICON, 0, 0))), At(48, dpi));
    }
    ExpectTextsFit(window, dpi);
    CloseTool(tool.window);
  }
  // Opened, painted and closed again, each leaves no GDI object, icon or
  // image list behind (the first opening above made what is kept for the scale).
  for (const Tool& tool : tools) {
    const ui::GdiCounts before = ui::LiveGdi();
    OpenByMenu(tool.menu);
    RedrawWindow(WindowHandle(tool.window), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    CloseTool(tool.window);
    const ui::GdiCounts after = ui::LiveGdi();
    EXPECT_TRUE(after == before) << "window " << tool.window << ": objects " << before.objects << " -> "
                                 << after.objects << ", DCs " << before.dcs << " -> " << after.dcs << ", icons "
                                 << before.icons << " -> " << after.icons << ", image lists "
                                 << before.image_lists << " -> " << after.image_lists;
  }
}

// Without the per-window DPI calls (Windows 7 and 8) a window is laid out for
// the system's DPI. On a thread unaware of DPI those calls answer 96, so here
// a window that took their answer would show.
void ExpectOlderWindowsToTakeTheSystemDpi(int dpi) {
  HMODULE user = GetModuleHandleW(L"user32.dll");
  const auto set_awareness = reinterpret_cast<DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT)>(
      reinterpret_cast<void*>(GetProcAddress(user, "SetThreadDpiAwarenessContext")));
  const auto dpi_for_window =
      reinterpret_cast<UINT(WINAPI*)(HWND)>(reinterpret_cast<void*>(GetProcAddress(user, "GetDpiForWindow")));
  ASSERT_TRUE(set_awareness && dpi_for_window);
  ASSERT_EQ(ui::SystemDpi(), dpi);
  ui::PretendOlderWindows(true);
  const DPI_AWARENESS_CONTEXT was = set_awareness(DPI_AWARENESS_CONTEXT_UNAWARE);
  constexpr std::int32_t kOlderWindow = 20;
  const bool opened = OpenWindow(kOlderWindow, 0, 0, 200, 100, L"Older", WindowStyle::Tool, kMainWindow);
  const std::int32_t window_dpi = WindowDpi(kOlderWindow);
  const std::int32_t unaware_dpi = static_cast<std::int32_t>(dpi_for_window(WindowHandle(kOlderWindow)));
  RECT client{};
  GetClientRect(WindowHandle(kOlderWindow), &client);
  CloseWindowNumber(kOlderWindow);
  set_awareness(was);
  ui::PretendOlderWindows(false);
  ASSERT_TRUE(opened);
  ASSERT_EQ(unaware_dpi, 96) << "the per-window call's answer, which the window must not take";
  EXPECT_EQ(window_dpi, dpi);
  EXPECT_EQ(client.right, At(200, dpi));
  EXPECT_EQ(client.bottom, At(100, dpi));
}

// Run by EveryWindowIsLaidOutForTheDisplaysDpi in a process of its own, on a
// display of the DPI it names in SUMWICK_TEST_DPI. The run at 96 then moves
// the main window to a display of 144, as Windows tells a per-monitor program.
TEST(ScaleChild, DISABLED_LaysOutEveryWindowForTheDisplaysDpi) {
  wchar_t named[8] = L"";
  ASSERT_GT(GetEnvironmentVariableW(L"SUMWICK_TEST_DPI", named, 8), 0u);
  const int dpi = _wtoi(named);
  ASSERT_TRUE(StartUp());
  for (int turn = 0; turn < 20 && ServeNextEvent(50) != 0; ++turn) {
  }
  HWND main = WindowHandle(kMainWindow);
  RECT outer{};
  GetWindowRect(main, &outer);
  EXPECT_EQ(outer.left, At(388, dpi));
  EXPECT_EQ(outer.top, At(177, dpi));
  MINMAXINFO limits{};
  SendMessageW(main, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
  EXPECT_EQ(limits.ptMinTrackSize.x, outer.right - outer.left);
  EXPECT_EQ(limits.ptMinTrackSize.y, outer.bottom - outer.top);
  ExpectMainWindowAt(dpi);
  ExpectToolWindowsAt(dpi);
  if (dpi != 96) {
    ExpectOlderWindowsToTakeTheSystemDpi(dpi);
    return;
  }

  // Here the frame keeps its size, so the rectangle is made roomy enough for
  // any frame: the window must take it as it is.
  const RECT moved{600, 100, 600 + At(690, 144) + 40, 100 + At(320, 144) + 80};
  SendMessageW(main, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&moved));
  std::int32_t size_events = 0;
  for (int turn = 0; turn < 20; ++turn) {
    const std::int32_t kind = ServeNextEvent(50);
    if (kind == 0) break;
    if (kind == kEventSize) ++size_events;
  }
  EXPECT_GT(size_events, 0);
  GetWindowRect(main, &outer);
  EXPECT_TRUE(EqualRect(&outer, &moved)) << "the suggested rectangle";
  ExpectMainWindowAt(144, false);
}

// The DPI Wine gives processes started from now on; 0 clears it.
void SetWineDpi(DWORD dpi) {
  HKEY desktop = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                      &desktop, nullptr) != ERROR_SUCCESS)
    return;
  if (dpi)
    RegSetValueExW(desktop, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof(dpi));
  else
    RegDeleteValueW(desktop, L"LogPixels");
  RegCloseKey(desktop);
}

DWORD WineDpi() {
  DWORD dpi = 0, size = sizeof(dpi);
  RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", RRF_RT_REG_DWORD, nullptr, &dpi, &size);
  return dpi;
}


TEST(Scale, EveryWindowIsLaidOutForTheDisplaysDpi) {
  if (!RunningUnderWine()) GTEST_SKIP() << "sets the display's DPI through Wine's registry";
  const DWORD before = WineDpi();
  for (DWORD dpi : {96u, 144u, 192u}) {
    SetWineDpi(dpi);
    SetEnvironmentVariableW(L"SUMWICK_TEST_DPI", std::to_wstring(dpi).c_str());
    ProgramRun child;
    const bool started = StartDisabledTest(L"ScaleChild.DISABLED_*", &child);
    const DWORD code = started ? WaitForExit(child, 60000) : 259;
    SetWineDpi(before);
    SetEnvironmentVariableW(L"SUMWICK_TEST_DPI", nullptr);
    ASSERT_TRUE(started);
    EXPECT_EQ(code, 0u) << "at " << dpi << " DPI (its failures are printed above)";
  }
}

}  // namespace
