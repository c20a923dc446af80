// Every window by keyboard alone and through the accessibility interface:
// keys go in as a user's do (SendInput to the foreground window), each event
// is dispatched by the program's own loop, and the focus is read back.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <oleacc.h>

#include <algorithm>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/file_list.h"
#include "app/main_window.h"
#include "app/program.h"
#include "engine_test_support.h"
#include "program_test_support.h"
#include "test_files.h"
#include "ui/gadget.h"
#include "ui/window.h"
#include "windows/about_window.h"
#include "windows/file_verifier_window.h"
#include "windows/md5_file_verifier_window.h"
#include "windows/options_window.h"
#include "windows/text_digest_window.h"

namespace {

HWND Main() { return WindowHandle(kMainWindow); }
HWND Gadget(std::int32_t gadget) { return GadgetHandle(gadget); }
HWND Toolbar() { return FindWindowExW(Main(), nullptr, TOOLBARCLASSNAMEW, nullptr); }

// A key pressed and released, with Shift held when asked, as the user's.
void Press(WORD key, bool shift = false, std::int32_t serve_ms = 150) {
  std::vector<INPUT> inputs;
  auto add = [&inputs](WORD virtual_key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtual_key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtual_key, MAPVK_VK_TO_VSC));
    const bool extended = virtual_key == VK_LEFT || virtual_key == VK_RIGHT || virtual_key == VK_UP ||
                          virtual_key == VK_DOWN || virtual_key == VK_APPS;
    input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
    inputs.push_back(input);
  };
  if (shift) add(VK_SHIFT, false);
  add(key, false);
  add(key, true);
  if (shift) add(VK_SHIFT, true);
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  Serve(serve_ms);
}

void Menu(std::int32_t number) {
  PostMessageW(Main(), WM_COMMAND, MAKEWPARAM(number, 0), 0);
  Serve(150);
}

// Where the focus lands after each of `count` presses of Tab.
std::vector<HWND> TabCycle(int count, bool shift = false) {
  std::vector<HWND> seen;
  for (int turn = 0; turn < count; ++turn) {
    Press(VK_TAB, shift);
    seen.push_back(GetFocus());
  }
  return seen;
}

int HotButton() {
  const auto index = static_cast<int>(SendMessageW(Toolbar(), TB_GETHOTITEM, 0, 0));
  TBBUTTON button{};
  if (index < 0 || !SendMessageW(Toolbar(), TB_GETBUTTON, index, reinterpret_cast<LPARAM>(&button))) return -1;
  return button.idCommand;
}

// The pointer moved, and the left button clicked, as the user's.
void SendMouse(DWORD flags, POINT at = {}, std::int32_t serve_ms = 150) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = MulDiv(at.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
  input.mi.dy = MulDiv(at.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  input.mi.dwFlags = flags;
  SendInput(1, &input, sizeof(INPUT));
  Serve(serve_ms);
}
void Point(POINT at) { SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, at); }
// Off the control it was on, in time for it to notice: Wine tells a control
// the pointer left on a timer of the hover time (400 ms).
void PointAway(POINT at) { SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, at, 600); }
void Click() {
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  SendMouse(MOUSEEVENTF_LEFTUP);
}

POINT ButtonCentre(std::int32_t number) {
  RECT button{};
  SendMessageW(Toolbar(), TB_GETRECT, static_cast<WPARAM>(number), reinterpret_cast<LPARAM>(&button));
  POINT centre{(button.left + button.right) / 2, (button.top + button.bottom) / 2};
  ClientToScreen(Toolbar(), &centre);
  return centre;
}

POINT ListCentre() {
  RECT list{};
  GetWindowRect(Gadget(kFileListGadget), &list);
  return {(list.left + list.right) / 2, (list.top + list.bottom) / 2};
}

void SetButtonData(std::int32_t number, LPARAM data) {
  TBBUTTONINFOW info{};
  info.cbSize = sizeof(info);
  info.dwMask = TBIF_LPARAM;
  info.lParam = data;
  SendMessageW(Toolbar(), TB_SETBUTTONINFOW, static_cast<WPARAM>(number), reinterpret_cast<LPARAM>(&info));
}

bool Enabled(std::int32_t gadget) { return IsWindowEnabled(Gadget(gadget)) != FALSE; }

std::string DigestOf(const std::string& bytes) {
  std::wstring text = DigestOfBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size()));
  return std::string(text.begin(), text.end());
}
std::wstring WideDigestOf(const std::string& bytes) { return DigestOfBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size())); }

// Defined here: MinGW's uuid library gives it a wrong value.
constexpr GUID kIidAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// What a screen reader learns of a control through the accessibility interface.
struct Heard {
  std::wstring name;
  LONG role = 0;
  std::wstring action;
};

// The control itself, as a child id.
VARIANT Self() {
  VARIANT self;
  VariantInit(&self);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  return self;
}

Heard Hear(HWND control, IAccessible** keep = nullptr) {
  Heard heard;
  IAccessible* object = nullptr;
  if (FAILED(AccessibleObjectFromWindow(control, OBJID_CLIENT, kIidAccessible, reinterpret_cast<void**>(&object))) ||
      !object)
    return heard;
  const VARIANT self = Self();
  BSTR text = nullptr;
  if (object->get_accName(self, &text) == S_OK && text) heard.name = text;
  SysFreeString(text);
  text = nullptr;
  if (object->get_accDefaultAction(self, &text) == S_OK && text) heard.action = text;
  SysFreeString(text);
  VARIANT role;
  VariantInit(&role);
  if (SUCCEEDED(object->get_accRole(self, &role)) && role.vt == VT_I4) heard.role = role.lVal;
  if (keep)
    *keep = object;
  else
    object->Release();
  return heard;
}

// The system's own object for `control`, as a control of its kind has it.
IAccessible* SystemObject(HWND control) {
  IAccessible* object = nullptr;
  if (FAILED(CreateStdAccessibleObject(control, OBJID_CLIENT, kIidAccessible, reinterpret_cast<void**>(&object))))
    return nullptr;
  return object;
}

// The role the system's own object gives `control` (ROLE_SYSTEM_LIST for a
// list view on Windows; Wine says ROLE_SYSTEM_CLIENT).
LONG SystemRole(HWND control) {
  IAccessible* object = SystemObject(control);
  if (!object) return -1;
  VARIANT role;
  VariantInit(&role);
  const LONG result = SUCCEEDED(object->get_accRole(Self(), &role)) && role.vt == VT_I4 ? role.lVal : -1;
  object->Release();
  return result;
}

std::vector<std::wstring> g_opened_pages;
void NotePage(const std::wstring& address) { g_opened_pages.push_back(address); }

struct KeyboardTest : ProgramTest {
  void SetUp() override {
    ProgramTest::SetUp();
    g_opened_pages.clear();
    ReplacePageOpener(NotePage);
    SetFocus(Gadget(kFileListGadget));
  }
  void TearDown() override {
    ReplacePageOpener(nullptr);
    ProgramTest::TearDown();
  }
};

TEST_F(KeyboardTest, MainWindowReachesToolbarAndListStartsAndStopsARunAndOpensTheMenu) {
  ScratchFolder scratch;
  AddDroppedPaths({scratch.WriteSparse(L"large.bin", 768u << 20), scratch.Write(L"b.txt", "b")}, true);
  ASSERT_EQ(GetFocus(), Gadget(kFileListGadget));
  EXPECT_EQ(TabCycle(2), (std::vector<HWND>{Toolbar(), Gadget(kFileListGadget)}));
  // From the window itself, Shift+Tab goes to the last control and Tab to the first.
  SetFocus(Main());
  Press(VK_TAB, true);
  EXPECT_EQ(GetFocus(), Gadget(kFileListGadget));
  SetFocus(Main());
  Press(VK_TAB);
  EXPECT_EQ(GetFocus(), Toolbar());
  SetFocus(Gadget(kFileListGadget));
  Press(VK_TAB, true);
  ASSERT_EQ(GetFocus(), Toolbar());
  EXPECT_EQ(HotButton(), kMenuAddFile) << "the toolbar shows which button the keyboard is on";
  Press(VK_LEFT);
  EXPECT_EQ(HotButton(), kMenuOptions) << "wraps, and skips the disabled Stop";
  Press(VK_RIGHT);
  Press(VK_RIGHT);
  ASSERT_EQ(HotButton(), kMenuStart);

  Press(VK_RETURN);
  EXPECT_FALSE(SendMessageW(Toolbar(), TB_ISBUTTONENABLED, kMenuStart, 0));
  EXPECT_EQ(HotButton(), kMenuStop) << "Start, disabled, hands the keyboard on to Stop";
  EXPECT_EQ(GetFocus(), Toolbar());
  Press(VK_SPACE);
  EXPECT_TRUE(SendMessageW(Toolbar(), TB_ISBUTTONENABLED, kMenuStart, 0)) << "Space stopped the run";
  EXPECT_EQ(HotButton(), kMenuStart) << "and Start, enabled again, has the keyboard back";
  EXPECT_EQ(GetFocus(), Toolbar());
  Press(VK_RIGHT);
  Press(VK_RETURN);
  ASSERT_TRUE(IsWindowOpen(kOptionsWindow));
  Press(VK_ESCAPE);
  EXPECT_EQ(GetFocus(), Toolbar());
  EXPECT_EQ(HotButton(), kMenuOptions) << "the keyboard is back on the button that opened the window";
  // The pointer moves the keyboard's button; leaving the focused toolbar, it
  // does not take that button away.
  POINT pointer_was{};
  GetCursorPos(&pointer_was);
  Point(ButtonCentre(kMenuStart));
  EXPECT_EQ(HotButton(), kMenuStart);
  PointAway(ListCentre());
  EXPECT_EQ(HotButton(), kMenuStart) << "the pointer left the toolbar";
  Press(VK_RIGHT);
  EXPECT_EQ(HotButton(), kMenuOptions) << "the keyboard goes on from the button the pointer was on";
  // A click's notifications carry the button's own data: here the bits of a
  // hot-item change by the pointer, which must not be read as one.
  SetButtonData(kMenuOptions, HICF_MOUSE);
  Point(ButtonCentre(kMenuOptions));
  Click();
  const bool opened = IsWindowOpen(kOptionsWindow);
  PointAway(ListCentre());
  Press(VK_ESCAPE);
  SetButtonData(kMenuOptions, 0);
  SetCursorPos(pointer_was.x, pointer_was.y);
  EXPECT_TRUE(opened);
  EXPECT_EQ(GetFocus(), Toolbar());
  EXPECT_EQ(HotButton(), kMenuOptions) << "the button clicked, as the pointer moved it";

  // Escape does nothing here; Shift+F10 and the menu key open the list's menu.
  Press(VK_ESCAPE);
  EXPECT_TRUE(IsWindowOpen(kMainWindow));
  Press(VK_TAB);
  ASSERT_EQ(GetFocus(), Gadget(kFileListGadget));
  SetGadgetState(kFileListGadget, 1);
  RECT row{};
  row.left = LVIR_BOUNDS;
  SendMessageW(Gadget(kFileListGadget), LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row));
  MapWindowPoints(Gadget(kFileListGadget), nullptr, reinterpret_cast<POINT*>(&row), 2);
  const RECT at_row = PopUpMenuShownBy([] { Press(VK_F10, true, 300); });
  EXPECT_EQ(at_row.left, row.left);
  EXPECT_EQ(at_row.top, row.bottom);
  SetGadgetState(kFileListGadget, -1);
  POINT corner{0, 0};
  ClientToScreen(Gadget(kFileListGadget), &corner);
  const RECT at_corner = PopUpMenuShownBy([] { Press(VK_APPS, false, 300); });
  EXPECT_EQ(at_corner.left, corner.x);
  EXPECT_EQ(at_corner.top, corner.y);
}

TEST_F(KeyboardTest, ToolWindowsOpenFocusedTabInReadingOrderAndGiveTheFocusBackWhenClosed) {
  ScratchFolder scratch;
  const std::wstring list = scratch.Write(L"files.md5", "\xEF\xBB\xBF" "a.txt  " + DigestOf("a") + "\r\n");
  scratch.Write(L"a.txt", "a");
  struct Case {
    std::int32_t window;
    std::function<void()> open;
    std::int32_t first;
    std::vector<std::int32_t> tabs;  // from the first, until back to it
    bool escape_closes;
  };
  const Case cases[] = {
      {kOptionsWindow, [] { Menu(kMenuOptions); }, 3, {5, 1, 2, 3}, true},
      {kVerifierWindow, [&] { OpenMd5FileVerifierWindow(ToolContext(), list);
         ServeUntilListRead();
       }, 7, {9, 7}, true},
      // Check is disabled until a file and a digest are there, and skipped.
      {kFileVerifierWindow, [] { Menu(kMenuVerifyFile); }, 13, {15, 16, 12, 13}, true},
      {kTextDigestWindow, [] { Menu(kMenuTextToMd5); }, 20, {22, 23, 25, 24, 20}, true},
      {kAboutWindow, [] { Menu(kMenuAbout); }, 106, {103, 106}, false},
  };
  for (const Case& each : cases) {
    SCOPED_TRACE(each.window);
    // The main window's focus is on the toolbar when the tool window opens.
    SetFocus(Toolbar());
    each.open();
    ASSERT_TRUE(IsWindowOpen(each.window));
    EXPECT_EQ(GetFocus(), Gadget(each.first));
    std::vector<HWND> expected;
    for (std::int32_t gadget : each.tabs) expected.push_back(Gadget(gadget));
    EXPECT_EQ(TabCycle(static_cast<int>(expected.size())), expected);
    Press(VK_TAB, true);
    EXPECT_EQ(GetFocus(), expected[expected.size() - 2]) << "Shift+Tab goes back";
    Press(VK_TAB);
    Press(VK_ESCAPE);
    EXPECT_EQ(IsWindowOpen(each.window), !each.escape_closes);
    if (!each.escape_closes) {
      Press(VK_RETURN);  // About: OK, its default button
      EXPECT_FALSE(IsWindowOpen(each.window));
    }
    EXPECT_TRUE(IsWindowEnabled(Main()));
    EXPECT_EQ(GetFocus(), Toolbar()) << "the main window's focus comes back where it was";
  }
}

TEST_F(KeyboardTest, OptionsSpaceTicksEscapeCancelsAndEnterKeeps) {
  ScratchFolder scratch;
  wchar_t before[MAX_PATH] = L"";
  GetCurrentDirectoryW(MAX_PATH, before);
  SetCurrentDirectoryW(scratch.root.wstring().c_str());
  TheProgram().settings = Settings{0, 1};
  Menu(kMenuOptions);
  EXPECT_EQ(GetWindowLongW(Gadget(1), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON) << "OK is drawn as the default";
  Press(VK_SPACE);
  EXPECT_EQ(GetGadgetState(3), 0);
  Press(VK_ESCAPE);
  EXPECT_FALSE(IsWindowOpen(kOptionsWindow));
  EXPECT_EQ(TheProgram().settings.auto_check, 1);
  EXPECT_EQ(GetFileAttributesW(scratch.PathOf(L"settings.ini").c_str()), INVALID_FILE_ATTRIBUTES);

  Menu(kMenuOptions);
  Press(VK_SPACE);
  Press(VK_RETURN);  // on a check box: the default button
  EXPECT_FALSE(IsWindowOpen(kOptionsWindow));
  EXPECT_EQ(TheProgram().settings.auto_check, 0);
  EXPECT_NE(GetFileAttributesW(scratch.PathOf(L"settings.ini").c_str()), INVALID_FILE_ATTRIBUTES);
  SetCurrentDirectoryW(before);
}

TEST_F(KeyboardTest, TextToMd5EnterIsANewLineInTheEditorAndCalculatesElsewhere) {
  Menu(kMenuTextToMd5);
  ASSERT_EQ(GetFocus(), Gadget(20));
  for (WORD key : {WORD('A'), WORD(VK_RETURN), WORD('B')}) Press(key, key != VK_RETURN, 50);
  EXPECT_EQ(GetGadgetText(20), L"A\r\nB");
  EXPECT_EQ(GetGadgetText(22), L"") << "Enter in the editor only started a line";
  Press(VK_TAB);
  Press(VK_RETURN);
  EXPECT_EQ(GetGadgetText(22), WideDigestOf("A\r\nB")) << "Enter elsewhere: Calculate";
  EXPECT_EQ(GetWindowLongW(Gadget(24), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
  Press(VK_TAB);
  EXPECT_EQ(GetWindowLongW(Gadget(23), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON)
      << "the focused push button is the one Enter presses";
  EXPECT_EQ(GetWindowLongW(Gadget(24), GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
}

TEST_F(KeyboardTest, CheckHandsTheFocusOnWhileItRunsAndGetsItBack) {
  ScratchFolder scratch;
  const std::wstring large = scratch.WriteSparse(L"large.bin", 512u << 20);
  OpenFileVerifierWindow(ToolContext(), large);
  SetGadgetText(15, WideDigestOf("not these bytes"));
  Serve(100);
  ASSERT_TRUE(Enabled(19));
  TabCycle(3);
  ASSERT_EQ(GetFocus(), Gadget(19));
  Press(VK_RETURN, false, 0);
  ASSERT_TRUE(ServeUntilTrue([] { return !Enabled(19); }));
  EXPECT_EQ(GetFocus(), Gadget(12)) << "the next control that can take it";
  ASSERT_TRUE(ServeUntilTrue([] { return Enabled(19); }, 60000));
  EXPECT_EQ(GetFocus(), Gadget(19));
  EXPECT_EQ(GetGadgetText(18), L"Checksum invalid");
  Press(VK_ESCAPE);
  EXPECT_FALSE(IsWindowOpen(kFileVerifierWindow));

  const std::wstring list = scratch.Write(L"files.md5", "\xEF\xBB\xBF" "large.bin  " + DigestOf("x") + "\r\n");
  OpenMd5FileVerifierWindow(ToolContext(), list);
  ASSERT_TRUE(ServeUntilListRead());
  Press(VK_TAB);
  ASSERT_EQ(GetFocus(), Gadget(9));
  Press(VK_SPACE, false, 0);
  ASSERT_TRUE(ServeUntilTrue([] { return !Enabled(9); }));
  EXPECT_EQ(GetFocus(), Gadget(7));
  Press(VK_ESCAPE, false, 0);
  EXPECT_TRUE(IsWindowOpen(kVerifierWindow)) << "a running check keeps the window open";
  ASSERT_TRUE(ServeUntilTrue([] { return Enabled(9); }, 60000));
  EXPECT_EQ(GetFocus(), Gadget(9));
  Serve(300);  // the check's last step comes after it enables Check
  Press(VK_ESCAPE);
  EXPECT_FALSE(IsWindowOpen(kVerifierWindow));
  EXPECT_EQ(GetFocus(), Gadget(kFileListGadget));
}

TEST_F(KeyboardTest, AboutLinkIsReachedOpenedByEnterSpaceOrItsActionAndNamedByItsAddress) {
  Menu(kMenuAbout);
  Press(VK_TAB);
  ASSERT_EQ(GetFocus(), Gadget(103));
  EXPECT_FALSE(SendMessageW(Gadget(103), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) << "its focus cue shows";
  Press(VK_RETURN);
  Press(VK_SPACE);
  EXPECT_EQ(g_opened_pages, (std::vector<std::wstring>{kIconsPageAddress, kIconsPageAddress}));
  EXPECT_TRUE(IsWindowOpen(kAboutWindow));

  IAccessible* link = nullptr;
  const Heard heard = Hear(Gadget(103), &link);
  EXPECT_EQ(heard.role, ROLE_SYSTEM_LINK);
  EXPECT_EQ(heard.name, kIconsPageAddress);
  EXPECT_EQ(heard.action, L"Jump");
  ASSERT_NE(link, nullptr);
  const VARIANT self = Self();
  EXPECT_EQ(link->accDoDefaultAction(self), S_OK);
  EnableWindow(Gadget(103), FALSE);
  EXPECT_EQ(link->accDoDefaultAction(self), E_FAIL) << "not while disabled";
  EnableWindow(Gadget(103), TRUE);
  link->Release();
  Serve(100);
  EXPECT_EQ(g_opened_pages.size(), 3u) << "the default action raises the same event";
  IAccessible* picture_object = nullptr;
  const Heard picture = Hear(Gadget(100), &picture_object);
  EXPECT_EQ(picture.role, ROLE_SYSTEM_GRAPHIC);
  EXPECT_EQ(picture.name, L"Sumwick");
  // Renamed, the picture still does what the system's object does: no click.
  IAccessible* system = SystemObject(Gadget(100));
  ASSERT_NE(picture_object, nullptr);
  ASSERT_NE(system, nullptr);
  EXPECT_EQ(picture_object->accDoDefaultAction(Self()), system->accDoDefaultAction(Self()));
  system->Release();
  picture_object->Release();
}

// Named controls keep the role the system gives their kind.
TEST_F(KeyboardTest, ScreenReadersHearFieldsListsAndThePanelByWhatTheWindowShows) {
  const Heard list = Hear(Gadget(kFileListGadget));
  EXPECT_EQ(list.name, L"File");
  EXPECT_EQ(list.role, SystemRole(Gadget(kFileListGadget)));
  EXPECT_GT(list.role, 0);
  Menu(kMenuVerifyFile);
  const Heard field = Hear(Gadget(12));
  EXPECT_EQ(field.name, L"Input File");
  EXPECT_EQ(field.role, ROLE_SYSTEM_TEXT);
  EXPECT_EQ(field.role, SystemRole(Gadget(12)));
  EXPECT_EQ(Hear(Gadget(15)).name, L"Checksum");
  EXPECT_EQ(Hear(Gadget(19)).name, L"Check") << "a button keeps its own text";
  Press(VK_ESCAPE);
  Menu(kMenuTextToMd5);
  EXPECT_EQ(Hear(Gadget(20)).name, L"Text to MD5");
  EXPECT_EQ(Hear(Gadget(22)).name, L"Result");
  Press(VK_ESCAPE);
  Menu(kMenuOptions);
  const Heard panel = Hear(Gadget(4));
  EXPECT_EQ(panel.role, ROLE_SYSTEM_GROUPING) << "not an empty tab list";
  EXPECT_EQ(panel.name, L"Options");
  Press(VK_ESCAPE);
  ScratchFolder scratch;
  scratch.Write(L"a.txt", "a");
  OpenMd5FileVerifierWindow(ToolContext(), scratch.Write(L"x.md5", "a.txt  " + DigestOf("a") + "\r\n"));
  ServeUntilListRead();
  EXPECT_EQ(Hear(Gadget(7)).name, L"File");
}

// The colours of the link's pixels, read off the screen.
std::vector<COLORREF> LinkPixels() {
  HWND link = Gadget(103);
  RedrawWindow(link, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
  RECT client{};
  GetClientRect(link, &client);
  HDC dc = GetDC(link);
  std::vector<COLORREF> pixels;
  for (int y = 0; y < client.bottom; ++y)
    for (int x = 0; x < client.right; ++x) pixels.push_back(GetPixel(dc, x, y));
  ReleaseDC(link, dc);
  return pixels;
}

bool Has(const std::vector<COLORREF>& pixels, COLORREF colour) {
  return std::find(pixels.begin(), pixels.end(), colour) != pixels.end();
}

TEST_F(KeyboardTest, InHighContrastTheLinkTakesTheSchemesHotTrackColour) {
  Menu(kMenuAbout);
  EXPECT_TRUE(Has(LinkPixels(), RGB(0, 0, 170)));
  // Wine cannot switch high contrast on: the query says it is.
  ReplaceHighContrastQuery([] { return true; });
  const std::vector<COLORREF> contrast = LinkPixels();
  ReplaceHighContrastQuery(nullptr);
  EXPECT_FALSE(Has(contrast, RGB(0, 0, 170)));
  EXPECT_TRUE(Has(contrast, GetSysColor(COLOR_HOTLIGHT) & 0xFFFFFF));
}

}  // namespace
