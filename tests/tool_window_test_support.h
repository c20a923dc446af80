// What the tool windows' tests share: driving the program like a user (menu
// events to the main window, clicks and keys on the real controls, requesters
// answered from another thread, each event dispatched by the program's own
// loop), and looking at what the windows show.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <cwctype>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "app/main_window.h"
#include "app/program.h"
#include "engine_test_support.h"
#include "formats/settings.h"
#include "program_test_support.h"
#include "test_files.h"
#include "ui/clipboard.h"
#include "ui/events.h"
#include "ui/gadget.h"
#include "ui/image.h"
#include "ui/requester.h"
#include "ui/window.h"
#include "ui_test_support.h"
#include "windows/about_window.h"


// ---- Driving the program

inline HWND Main() { return WindowHandle(kMainWindow); }

// A menu item, toolbar button or shortcut of the main window.
inline void Menu(std::int32_t number) {
  PostMessageW(Main(), WM_COMMAND, MAKEWPARAM(number, 0), 0);
  Serve(100);
}

// The ids of this process's threads now.
inline std::set<DWORD> ProcessThreads() {
  std::set<DWORD> ids;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return ids;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) ids.insert(entry.th32ThreadID);
  CloseHandle(snapshot);
  return ids;
}

// The threads there were right before the last click: a worker that the
// click started is none of them.
inline std::set<DWORD> g_threads_before_click;

inline void Click(std::int32_t gadget) {
  g_threads_before_click = ProcessThreads();
  SendMessageW(GadgetHandle(gadget), BM_CLICK, 0, 0);
  Serve(50);
}

// The close box (or the system menu's Close) of a window.
inline void RequestClose(std::int32_t window) {
  PostMessageW(WindowHandle(window), WM_CLOSE, 0, 0);
  Serve(50);
}

// Keys typed into a field, character by character.
inline void Type(std::int32_t gadget, const std::wstring& text) {
  for (wchar_t c : text) SendMessageW(GadgetHandle(gadget), WM_CHAR, c, 1);
  Serve(50);
}

// Does `action`, which shows a file requester titled `title`, and answers it
// with `name` ("" cancels).
inline RequesterAnswer AnsweringRequester(const std::wstring& title, const std::wstring& name,
                                          const std::function<void()>& action) {
  RequesterAnswer answer{title, name};
  std::thread answering(Answer, &answer);
  action();
  answering.join();
  EXPECT_TRUE(ServeUntilListRead());
  return answer;
}

inline RequesterAnswer MenuWithRequester(std::int32_t menu, const std::wstring& title, const std::wstring& name) {
  return AnsweringRequester(title, name, [menu] { Menu(menu); });
}

inline RequesterAnswer ClickWithRequester(std::int32_t gadget, const std::wstring& title, const std::wstring& name) {
  return AnsweringRequester(title, name, [gadget] { Click(gadget); });
}

inline bool Enabled(std::int32_t gadget) { return IsWindowEnabled(GadgetHandle(gadget)) != FALSE; }
inline std::wstring Text(std::int32_t gadget) { return WindowText(GadgetHandle(gadget)); }

// ---- Looking at windows and gadgets

// The window is a tool window of the given title and client size, owned by
// the main window, centred over it with left and top clamped at 0, and the
// main window is disabled.
inline void ExpectToolWindow(std::int32_t number, const std::wstring& title, int width, int height, bool close_box) {
  HWND window = WindowHandle(number);
  ASSERT_NE(window, nullptr) << "window " << number;
  EXPECT_EQ(WindowText(window), title);
  EXPECT_EQ(WindowClientWidth(number), width);
  EXPECT_EQ(WindowClientHeight(number), height);
  const LONG style = GetWindowLongW(window, GWL_STYLE);
  const LONG extended = GetWindowLongW(window, GWL_EXSTYLE);
  EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
  EXPECT_EQ((style & WS_SYSMENU) != 0, close_box);
  EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
  EXPECT_TRUE(extended & WS_EX_TOOLWINDOW);
  EXPECT_EQ(GetWindow(window, GW_OWNER), Main());
  RECT outer{}, owner{};
  GetWindowRect(window, &outer);
  GetWindowRect(Main(), &owner);
  const LONG outer_width = outer.right - outer.left;
  const LONG outer_height = outer.bottom - outer.top;
  EXPECT_EQ(outer.left, std::max<LONG>(0, owner.left + (owner.right - owner.left - outer_width) / 2));
  EXPECT_EQ(outer.top, std::max<LONG>(0, owner.top + (owner.bottom - owner.top - outer_height) / 2));
  EXPECT_FALSE(IsWindowEnabled(Main())) << "the main window takes no input while a tool window is open";
}

struct Placed {
  std::int32_t gadget;
  const wchar_t* window_class;
  int x, y, width, height;
  std::wstring text;
};

// Each gadget has its class, place, size and text, and they were made in this
// order (children are kept in the order they were made).
inline void ExpectGadgets(HWND parent, const std::vector<Placed>& gadgets) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    children.push_back(child);
  ASSERT_EQ(children.size(), gadgets.size());
  for (std::size_t i = 0; i < gadgets.size(); ++i) {
    const Placed& expected = gadgets[i];
    HWND handle = GadgetHandle(expected.gadget);
    ASSERT_NE(handle, nullptr) << "gadget " << expected.gadget;
    EXPECT_EQ(children[i], handle) << "gadget " << expected.gadget << " is made in its place in the order";
    EXPECT_EQ(ClassName(handle), expected.window_class) << "gadget " << expected.gadget;
    RECT rect{};
    GetWindowRect(handle, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(rect.left, expected.x) << "gadget " << expected.gadget;
    EXPECT_EQ(rect.top, expected.y) << "gadget " << expected.gadget;
    EXPECT_EQ(rect.right - rect.left, expected.width) << "gadget " << expected.gadget;
    EXPECT_EQ(rect.bottom - rect.top, expected.height) << "gadget " << expected.gadget;
    EXPECT_EQ(WindowText(handle), expected.text) << "gadget " << expected.gadget;
  }
}

inline LONG Style(std::int32_t gadget) { return GetWindowLongW(GadgetHandle(gadget), GWL_STYLE); }

inline std::wstring Cell(std::int32_t gadget, int row, int column) { return ListCellText(GadgetHandle(gadget), row, column); }

inline int Rows(std::int32_t gadget) {
  return static_cast<int>(SendMessageW(GadgetHandle(gadget), LVM_GETITEMCOUNT, 0, 0));
}

// ---- Recording what lands in a control, on the window thread

// Texts set (WM_SETTEXT) and enabled states set (WM_ENABLE), in the order the
// window thread applies them; for the verifier's list, what each row's Valid
// cell shows whenever the row is drawn again, each change once.
struct Recorder {
  std::vector<std::wstring> texts;
  std::vector<int> enables;
  std::map<int, std::vector<std::wstring>> valid;
  HWND handle = nullptr;

  static LRESULT CALLBACK Procedure(HWND handle, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                    DWORD_PTR data) {
    auto* recorder = reinterpret_cast<Recorder*>(data);
    if (message == WM_SETTEXT) recorder->texts.emplace_back(reinterpret_cast<const wchar_t*>(lparam));
    if (message == WM_ENABLE) recorder->enables.push_back(wparam ? 1 : 0);
    if (message == LVM_REDRAWITEMS)
      for (int row = static_cast<int>(wparam); row <= static_cast<int>(lparam); ++row) recorder->NoteValid(row);
    if (message == WM_NCDESTROY) {
      RemoveWindowSubclass(handle, Procedure, 1);
      recorder->handle = nullptr;
    }
    return DefSubclassProc(handle, message, wparam, lparam);
  }
  void NoteValid(int row) {
    const std::wstring text = ListCellText(handle, row, 2);
    std::vector<std::wstring>& shown = valid[row];
    if (shown.empty() || shown.back() != text) shown.emplace_back(text);
  }
  explicit Recorder(HWND control) : handle(control) {
    SetWindowSubclass(handle, Procedure, 1, reinterpret_cast<DWORD_PTR>(this));
  }
  ~Recorder() {
    if (handle) RemoveWindowSubclass(handle, Procedure, 1);
  }
  Recorder(const Recorder&) = delete;
  Recorder& operator=(const Recorder&) = delete;
};

// What becomes of the main window and a tool window as it closes, in order:
// "enable main" and "destroy".
struct CloseSteps {
  std::vector<std::string> steps;
  HWND tool = nullptr;

  static LRESULT CALLBACK Procedure(HWND handle, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                    DWORD_PTR data) {
    auto* order = reinterpret_cast<CloseSteps*>(data);
    if (message == WM_ENABLE && handle == Main() && wparam) order->steps.push_back("enable main");
    if (message == WM_DESTROY && handle == order->tool) order->steps.push_back("destroy");
    if (message == WM_NCDESTROY) RemoveWindowSubclass(handle, Procedure, 2);
    return DefSubclassProc(handle, message, wparam, lparam);
  }
  explicit CloseSteps(std::int32_t window) : tool(WindowHandle(window)) {
    SetWindowSubclass(Main(), Procedure, 2, reinterpret_cast<DWORD_PTR>(this));
    SetWindowSubclass(tool, Procedure, 2, reinterpret_cast<DWORD_PTR>(this));
  }
  ~CloseSteps() { RemoveWindowSubclass(Main(), Procedure, 2); }
};

// ---- Files

inline std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

inline std::string DigestOf(const std::string& bytes) {
  return Narrow(DigestOfBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size())));
}

inline std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

// A checksum list file as Save MD5 writes it: UTF-8 with its mark, CR LF.
inline std::string ListFile(const std::vector<std::pair<std::string, std::string>>& lines) {
  std::string bytes = "\xEF\xBB\xBF";
  for (const auto& [name, digest] : lines) bytes += name + "  " + digest + "\r\n";
  return bytes;
}

// Whether a thread started since the last click is still running.
inline bool WorkerRunning() {
  for (DWORD id : ProcessThreads())
    if (!g_threads_before_click.count(id)) return true;
  return false;
}

// Serves events until the worker the last click started has ended.
inline bool ServeUntilWorkerEnds(std::int32_t ms = 60000) {
  return ServeUntilTrue([] { return !WorkerRunning(); }, ms);
}

// What a row's Valid cell showed during one check: whole percents rising,
// then `verdict`. The row shows its text as it is when drawn, so a quick
// file may skip percents.
inline void ExpectPercentsThenVerdict(const std::vector<std::wstring>& shown, const std::wstring& verdict) {
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown.back(), verdict);
  int last = -1;
  for (std::size_t i = 0; i + 1 < shown.size(); ++i) {
    ASSERT_TRUE(!shown[i].empty() && shown[i].back() == L'%') << Narrow(shown[i]);
    const int value = std::stoi(shown[i]);
    EXPECT_GT(value, last);
    last = value;
  }
}

using ToolWindowsTest = ProgramTest;
