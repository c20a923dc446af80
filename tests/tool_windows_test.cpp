// The five tool windows, driven like a user drives them: menu events to the
// main window, clicks and keys on the real controls, requesters answered from
// another thread, each event dispatched by the program's own loop.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <tlhelp32.h>

#include <algorithm>
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

namespace {

// ---- Driving the program

HWND Main() { return WindowHandle(kMainWindow); }

// A menu item, toolbar button or shortcut of the main window.
void Menu(std::int32_t number) {
  PostMessageW(Main(), WM_COMMAND, MAKEWPARAM(number, 0), 0);
  Serve(100);
}

// The ids of this process's threads now.
std::set<DWORD> ProcessThreads() {
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
std::set<DWORD> g_threads_before_click;

void Click(std::int32_t gadget) {
  g_threads_before_click = ProcessThreads();
  SendMessageW(GadgetHandle(gadget), BM_CLICK, 0, 0);
  Serve(50);
}

// The close box (or the system menu's Close) of a window.
void RequestClose(std::int32_t window) {
  PostMessageW(WindowHandle(window), WM_CLOSE, 0, 0);
  Serve(50);
}

// Keys typed into a field, character by character.
void Type(std::int32_t gadget, const std::wstring& text) {
  for (wchar_t c : text) SendMessageW(GadgetHandle(gadget), WM_CHAR, c, 1);
  Serve(50);
}

// Runs `menu`, whose handler shows a file requester titled `title`, and
// answers it with `name` ("" cancels).
RequesterAnswer MenuWithRequester(std::int32_t menu, const std::wstring& title, const std::wstring& name) {
  RequesterAnswer answer{title, name};
  std::thread answering(Answer, &answer);
  Menu(menu);
  answering.join();
  return answer;
}

RequesterAnswer ClickWithRequester(std::int32_t gadget, const std::wstring& title, const std::wstring& name) {
  RequesterAnswer answer{title, name};
  std::thread answering(Answer, &answer);
  Click(gadget);
  answering.join();
  return answer;
}

bool Enabled(std::int32_t gadget) { return IsWindowEnabled(GadgetHandle(gadget)) != FALSE; }
std::wstring Text(std::int32_t gadget) { return WindowText(GadgetHandle(gadget)); }

// ---- Looking at windows and gadgets

// The window is a tool window of the given title and client size, owned by
// the main window, centred over it with left and top clamped at 0, and the
// main window is disabled.
void ExpectToolWindow(std::int32_t number, const std::wstring& title, int width, int height, bool close_box) {
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
void ExpectGadgets(HWND parent, const std::vector<Placed>& gadgets) {
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

LONG Style(std::int32_t gadget) { return GetWindowLongW(GadgetHandle(gadget), GWL_STYLE); }

std::wstring Cell(std::int32_t gadget, int row, int column) { return ListCellText(GadgetHandle(gadget), row, column); }

int Rows(std::int32_t gadget) {
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
struct CloseOrder {
  std::vector<std::string> steps;
  HWND tool = nullptr;

  static LRESULT CALLBACK Procedure(HWND handle, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                    DWORD_PTR data) {
    auto* order = reinterpret_cast<CloseOrder*>(data);
    if (message == WM_ENABLE && handle == Main() && wparam) order->steps.push_back("enable main");
    if (message == WM_DESTROY && handle == order->tool) order->steps.push_back("destroy");
    if (message == WM_NCDESTROY) RemoveWindowSubclass(handle, Procedure, 2);
    return DefSubclassProc(handle, message, wparam, lparam);
  }
  explicit CloseOrder(std::int32_t window) : tool(WindowHandle(window)) {
    SetWindowSubclass(Main(), Procedure, 2, reinterpret_cast<DWORD_PTR>(this));
    SetWindowSubclass(tool, Procedure, 2, reinterpret_cast<DWORD_PTR>(this));
  }
  ~CloseOrder() { RemoveWindowSubclass(Main(), Procedure, 2); }
};

// ---- Files

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

std::string DigestOf(const std::string& bytes) {
  return Narrow(DigestOfBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size())));
}

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

// A checksum list file as Save MD5 writes it: UTF-8 with its mark, CR LF.
std::string ListFile(const std::vector<std::pair<std::string, std::string>>& lines) {
  std::string bytes = "\xEF\xBB\xBF";
  for (const auto& [name, digest] : lines) bytes += name + "  " + digest + "\r\n";
  return bytes;
}

// Whether a thread started since the last click is still running.
bool WorkerRunning() {
  for (DWORD id : ProcessThreads())
    if (!g_threads_before_click.count(id)) return true;
  return false;
}

// Serves events until the worker the last click started has ended.
bool ServeUntilWorkerEnds(std::int32_t ms = 60000) {
  return ServeUntilTrue([] { return !WorkerRunning(); }, ms);
}

// What a row's Valid cell showed during one check: whole percents rising,
// then `verdict`. The row shows its text as it is when drawn, so a quick
// file may skip percents.
void ExpectPercentsThenVerdict(const std::vector<std::wstring>& shown, const std::wstring& verdict) {
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

// ---- MD5 file verifier

TEST_F(ToolWindowsTest, VerifierRequesterOpensTheWindowOnAListAndItsRows) {
  ScratchFolder scratch;
  const std::string first = PatternBytes(1000, 1);
  const std::string second = PatternBytes(2000, 2);
  scratch.Write(L"first.bin", first);
  scratch.Write(L"second.bin", second);
  const std::wstring list = scratch.Write(
      L"files.md5", ListFile({{"first.bin", DigestOf(first)}, {"absent.bin", DigestOf("x")},
                              {"second.bin", Upper(DigestOf(second))}}));

  RequesterAnswer answer = MenuWithRequester(kMenuVerifyMd5File, L"Open", list);
  ASSERT_TRUE(answer.found);
  EXPECT_EQ(answer.file_types, (std::vector<std::wstring>{L"MD5 Files", L"All files"}));
  ASSERT_TRUE(IsWindowOpen(2));
  ExpectToolWindow(2, L"MD5 File Verifier", 445, 331, true);
  ExpectGadgets(WindowHandle(2), {{7, L"SysListView32", 10, 10, 420, 240, L""},
                                  {8, L"Button", 10, 260, 420, 60, L""},
                                  {9, L"Button", 350, 277, 70, 30, L"Check"},
                                  {10, L"Static", 20, 285, 320, 20, L"Overall status:"}});
  EXPECT_EQ(Style(8) & BS_TYPEMASK, BS_GROUPBOX);
  EXPECT_EQ(Style(7) & LVS_TYPEMASK, LVS_REPORT);
  EXPECT_FALSE(SendMessageW(GadgetHandle(7), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_CHECKBOXES);
  EXPECT_TRUE(Style(7) & LVS_OWNERDATA) << "drawn from the window's rows, so a long list opens at once";
  const std::wstring titles[] = {L"File", L"Hash", L"Valid"};
  for (int column = 0; column < 3; ++column) {
    EXPECT_EQ(ListColumn(GadgetHandle(7), column).title, titles[column]);
    EXPECT_EQ(ListColumn(GadgetHandle(7), column).width, 100);
  }
  // The line naming a missing file is no row; names and digests as written.
  ASSERT_EQ(Rows(7), 2);
  EXPECT_EQ(Cell(7, 0, 0), L"first.bin");
  EXPECT_EQ(Cell(7, 0, 1), DigestOfBuffer(first.data(), 1000));
  EXPECT_EQ(Cell(7, 0, 2), L"");
  EXPECT_EQ(Cell(7, 1, 0), L"second.bin");
  EXPECT_EQ(Narrow(Cell(7, 1, 1)), Upper(DigestOf(second)));
  EXPECT_TRUE(Enabled(9));
  // Space on a selected row: the list has no ticks to toggle.
  SetGadgetState(7, 1);
  PressKey(GadgetHandle(7), VK_SPACE);
  EXPECT_EQ(GetGadgetState(7), 1);

  CloseOrder order(2);
  RequestClose(2);
  EXPECT_FALSE(IsWindowOpen(2));
  EXPECT_TRUE(IsWindowEnabled(Main()));
  EXPECT_EQ(order.steps, (std::vector<std::string>{"enable main", "destroy"}));
}

TEST_F(ToolWindowsTest, VerifierChecksEveryRowWithProgressAndRefusesToCloseMeanwhile) {
  ScratchFolder scratch;
  // Long enough to be still hashing when the close request comes.
  scratch.WriteSparse(L"changed.bin", 256u << 20);
  const std::string good = PatternBytes(5000, 3);
  const std::string upper = PatternBytes(7000, 4);
  scratch.Write(L"good.bin", good);
  scratch.Write(L"upper.bin", upper);
  const std::wstring list = scratch.Write(
      L"files.md5", ListFile({{"changed.bin", DigestOf("what it held before")},
                              {"missing.bin", DigestOf("gone")},
                              {"good.bin", DigestOf(good)},
                              {"upper.bin", Upper(DigestOf(upper))}}));
  MenuWithRequester(kMenuVerifyMd5File, L"Open", list);
  ASSERT_TRUE(IsWindowOpen(2));
  ASSERT_EQ(Rows(7), 3);

  Recorder status(GadgetHandle(10));
  Recorder cells(GadgetHandle(7));
  Recorder check(GadgetHandle(9));
  g_threads_before_click = ProcessThreads();
  SendMessageW(GadgetHandle(9), BM_CLICK, 0, 0);
  PostMessageW(WindowHandle(2), WM_CLOSE, 0, 0);
  Serve(100);
  EXPECT_FALSE(Enabled(9));
  EXPECT_TRUE(IsWindowOpen(2)) << "a close request is ignored while the check runs";
  EXPECT_FALSE(IsWindowEnabled(Main()));

  ASSERT_TRUE(ServeUntilTrue([&] { return Text(10) == L"Overall status: Done"; }));
  EXPECT_EQ(status.texts, (std::vector<std::wstring>{L"Overall status: Calculating md5 for 1/3",
                                                     L"Overall status: Calculating md5 for 2/3",
                                                     L"Overall status: Calculating md5 for 3/3",
                                                     L"Overall status: Done"}));
  EXPECT_EQ(check.enables, (std::vector<int>{0, 1}));
  EXPECT_EQ(Cell(7, 0, 2), L"Invalid");
  EXPECT_EQ(Cell(7, 1, 2), L"OK");
  EXPECT_EQ(Cell(7, 2, 2), L"OK") << "a digest recorded in upper case matches the intact file";

  ASSERT_GE(cells.valid[0].size(), 3u) << "a long file shows its progress";
  ExpectPercentsThenVerdict(cells.valid[0], L"Invalid");
  ExpectPercentsThenVerdict(cells.valid[1], L"OK");
  ExpectPercentsThenVerdict(cells.valid[2], L"OK");

  ASSERT_TRUE(ServeUntilWorkerEnds());
  RequestClose(2);
  EXPECT_FALSE(IsWindowOpen(2));
  EXPECT_TRUE(IsWindowEnabled(Main()));
}

TEST_F(ToolWindowsTest, VerifierEmptiesTheCellOfAFileGoneSince) {
  ScratchFolder scratch;
  const std::string kept = PatternBytes(3000, 5);
  const std::string gone = PatternBytes(4000, 6);
  scratch.Write(L"kept.bin", kept);
  const std::wstring gone_path = scratch.Write(L"gone.bin", gone);
  const std::wstring list =
      scratch.Write(L"files.md5", ListFile({{"gone.bin", DigestOf(gone)}, {"kept.bin", DigestOf(kept)}}));
  MenuWithRequester(kMenuVerifyMd5File, L"Open", list);
  ASSERT_EQ(Rows(7), 2);

  // Deleted between opening and the first check: the cell stays empty.
  ASSERT_TRUE(DeleteFileW(gone_path.c_str()));
  Click(9);
  ASSERT_TRUE(ServeUntilTrue([] { return Text(10) == L"Overall status: Done" && Enabled(9); }));
  EXPECT_EQ(Cell(7, 0, 2), L"");
  EXPECT_EQ(Cell(7, 1, 2), L"OK");

  // Back, checked, gone again: the earlier verdict goes with it.
  scratch.Write(L"gone.bin", gone);
  Click(9);
  ASSERT_TRUE(ServeUntilTrue([] { return Cell(7, 0, 2) == L"OK" && Enabled(9); }));
  ASSERT_TRUE(DeleteFileW(gone_path.c_str()));
  Recorder cells(GadgetHandle(7));
  Click(9);
  ASSERT_TRUE(ServeUntilTrue([] { return Text(10) == L"Overall status: Done" && Enabled(9); }));
  ASSERT_TRUE(ServeUntilWorkerEnds());
  EXPECT_EQ(Cell(7, 0, 2), L"");
  EXPECT_EQ(cells.valid[0], std::vector<std::wstring>{L""});
  ExpectPercentsThenVerdict(cells.valid[1], L"OK");
}

TEST_F(ToolWindowsTest, VerifierOnAListWithoutUsableLinesSaysSoAndStaysOpenEmpty) {
  ScratchFolder scratch;
  scratch.Write(L"empty.bin", "");
  const std::wstring list =
      scratch.Write(L"files.md5", ListFile({{"nowhere.bin", DigestOf("a")}, {"empty.bin", DigestOf("")}}));
  RequesterAnswer answer{L"Open", list};
  std::wstring box_text;
  bool box_found = false;
  std::thread answering([&] {
    Answer(&answer);
    HWND box = FindDialog(L"Error");
    if (!box) return;
    box_found = true;
    box_text = MessageBoxText(box);
    PressUntilGone(box, IDOK);
  });
  Menu(kMenuVerifyMd5File);
  answering.join();
  ASSERT_TRUE(box_found);
  EXPECT_EQ(box_text, L"Invalid md5 file.");
  ASSERT_TRUE(IsWindowOpen(2));
  EXPECT_EQ(Rows(7), 0);
  EXPECT_FALSE(IsWindowEnabled(Main()));
  Click(9);
  EXPECT_TRUE(ServeUntilTrue([] { return Text(10) == L"Overall status: Done" && Enabled(9); }));
  ServeUntilWorkerEnds();
  RequestClose(2);
  EXPECT_FALSE(IsWindowOpen(2));
  EXPECT_TRUE(IsWindowEnabled(Main()));
}

TEST_F(ToolWindowsTest, VerifierOpensNothingForNoChoiceOrAnEmptyFile) {
  ScratchFolder scratch;
  const std::wstring empty = scratch.Write(L"empty.md5", "");
  RequesterAnswer cancelled = MenuWithRequester(kMenuVerifyMd5File, L"Open", L"");
  EXPECT_TRUE(cancelled.found);
  EXPECT_FALSE(IsWindowOpen(2));
  EXPECT_TRUE(IsWindowEnabled(Main()));
  RequesterAnswer empty_file = MenuWithRequester(kMenuVerifyMd5File, L"Open", empty);
  EXPECT_TRUE(empty_file.found);
  EXPECT_FALSE(IsWindowOpen(2));
  EXPECT_TRUE(IsWindowEnabled(Main()));
}

// ---- File verifier

TEST_F(ToolWindowsTest, FileVerifierIsBuiltWithCheckDisabled) {
  Menu(kMenuVerifyFile);
  ASSERT_TRUE(IsWindowOpen(3));
  ExpectToolWindow(3, L"File Verifier", 342, 162, true);
  ExpectGadgets(WindowHandle(3), {{14, L"Button", 10, 10, 320, 50, L"Input File"},
                                  {12, L"Edit", 20, 30, 260, 20, L""},
                                  {13, L"Button", 280, 29, 40, 22, L"..."},
                                  {11, L"Button", 10, 70, 320, 50, L"Checksum"},
                                  {15, L"Edit", 20, 90, 260, 20, L""},
                                  {16, L"Button", 280, 89, 40, 22, L"paste"},
                                  {17, L"Static", 10, 130, 40, 20, L"Status:"},
                                  {18, L"Static", 50, 130, 210, 20, L"Idle"},
                                  {19, L"Button", 270, 126, 60, 30, L"Check"}});
  EXPECT_EQ(Style(14) & BS_TYPEMASK, BS_GROUPBOX);
  EXPECT_EQ(Style(11) & BS_TYPEMASK, BS_GROUPBOX);
  EXPECT_TRUE(Style(12) & ES_READONLY);
  EXPECT_FALSE(Style(15) & ES_READONLY);
  EXPECT_FALSE(Enabled(19));
  EXPECT_TRUE(Enabled(13) && Enabled(15) && Enabled(16));
  CloseOrder order(3);
  RequestClose(3);
  EXPECT_FALSE(IsWindowOpen(3));
  EXPECT_EQ(order.steps, (std::vector<std::string>{"enable main", "destroy"}));
}

TEST_F(ToolWindowsTest, FileVerifierEnablesCheckOnlyForADigestAndANonEmptyFile) {
  ScratchFolder scratch;
  const std::string bytes = PatternBytes(10000, 7);
  const std::wstring file = scratch.Write(L"file.bin", bytes);
  const std::wstring other = scratch.Write(L"other.bin", "other");
  const std::wstring empty = scratch.Write(L"empty.bin", "");
  const std::wstring digest = DigestOfBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size()));
  Menu(kMenuVerifyFile);
  ASSERT_TRUE(IsWindowOpen(3));

  // The digest first: the file choice enables Check.
  Type(15, digest);
  EXPECT_FALSE(Enabled(19));
  RequesterAnswer chosen = ClickWithRequester(13, L"Select file..", file);
  ASSERT_TRUE(chosen.found);
  EXPECT_EQ(chosen.file_types, (std::vector<std::wstring>{L"All Files"}));
  EXPECT_EQ(Text(12), file);
  EXPECT_TRUE(Enabled(19));
  // A 33rd character disables it, taking it away enables it again.
  Type(15, L"0");
  EXPECT_FALSE(Enabled(19));
  Type(15, L"\b");
  EXPECT_TRUE(Enabled(19));

  // An empty file, or no choice, changes nothing.
  ClickWithRequester(13, L"Select file..", empty);
  EXPECT_EQ(Text(12), file);
  ClickWithRequester(13, L"Select file..", L"");
  EXPECT_EQ(Text(12), file);
  EXPECT_TRUE(Enabled(19));

  // The file first: the 32nd valid character enables Check.
  SetWindowTextW(GadgetHandle(15), L"");
  Serve(50);
  EXPECT_FALSE(Enabled(19));
  ClickWithRequester(13, L"Select file..", other);
  EXPECT_EQ(Text(12), other);
  EXPECT_FALSE(Enabled(19));
  Type(15, digest.substr(0, 31));
  EXPECT_FALSE(Enabled(19));
  Type(15, digest.substr(31));
  EXPECT_TRUE(Enabled(19));

  // Pasted: a line end makes 34 characters, a space 33; the bare digest in
  // upper case is a digest text.
  SetClipboardText(digest + L"\r\n");
  Click(16);
  EXPECT_EQ(Text(15), digest + L"\r\n");
  EXPECT_FALSE(Enabled(19));
  SetClipboardText(digest + L" ");
  Click(16);
  EXPECT_EQ(Text(15).size(), 33u);
  EXPECT_FALSE(Enabled(19));
  std::wstring upper = digest;
  for (wchar_t& c : upper) c = static_cast<wchar_t>(std::towupper(c));
  SetClipboardText(upper);
  Click(16);
  EXPECT_EQ(Text(15), upper);
  EXPECT_TRUE(Enabled(19));
  // An empty clipboard empties the field.
  EmptyClipboardNow();
  Click(16);
  EXPECT_EQ(Text(15), L"");
  EXPECT_FALSE(Enabled(19));
}

// Opens the file verifier on `file` with `expected` typed in.
void ReadyFileVerifier(const std::wstring& file, const std::wstring& expected) {
  Menu(kMenuVerifyFile);
  ClickWithRequester(13, L"Select file..", file);
  Type(15, expected);
}

TEST_F(ToolWindowsTest, FileVerifierChecksOnAWorkerAndSaysValidOrInvalid) {
  ScratchFolder scratch;
  const std::string bytes = PatternBytes(40u << 20, 8);  // three chunks, so several percents
  const std::wstring file = scratch.Write(L"file.bin", bytes);
  std::wstring upper = DigestOfBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size()));
  for (wchar_t& c : upper) c = static_cast<wchar_t>(std::towupper(c));
  ReadyFileVerifier(file, upper);
  ASSERT_TRUE(Enabled(19));

  Recorder status(GadgetHandle(18));
  Recorder check(GadgetHandle(19)), choose(GadgetHandle(13)), field(GadgetHandle(15)), paste(GadgetHandle(16));
  Click(19);
  ASSERT_TRUE(ServeUntilWorkerEnds());
  Serve(50);
  // Held still while the check ran, given back after it.
  for (const Recorder* held : {&check, &choose, &field, &paste}) EXPECT_EQ(held->enables, (std::vector<int>{0, 1}));
  ASSERT_GE(status.texts.size(), 3u);
  EXPECT_EQ(status.texts.back(), L"Checksum valid") << "an expected digest in upper case matches";
  EXPECT_EQ(status.texts[status.texts.size() - 2], L"100%");
  EXPECT_EQ(status.texts[0].back(), L'%');
  EXPECT_EQ(Text(18), L"Checksum valid");

  // One digit off.
  upper[0] = upper[0] == L'0' ? L'1' : L'0';
  SetWindowTextW(GadgetHandle(15), upper.c_str());
  Serve(50);
  Click(19);
  ASSERT_TRUE(ServeUntilTrue([] { return Text(18) == L"Checksum invalid" && Enabled(19); }));
  ServeUntilWorkerEnds();
}

TEST_F(ToolWindowsTest, FileVerifierShowsIdleWhenACheckGivesNoResult) {
  ScratchFolder scratch;
  const std::string bytes = PatternBytes(6000, 9);
  const std::wstring file = scratch.Write(L"file.bin", bytes);
  ReadyFileVerifier(file, DigestOfBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size())));
  ASSERT_TRUE(Enabled(19));
  Click(19);
  ASSERT_TRUE(ServeUntilWorkerEnds());
  Serve(100);
  ASSERT_EQ(Text(18), L"Checksum valid");

  // Deleted before the next check: the earlier verdict does not stand for it.
  ASSERT_TRUE(DeleteFileW(file.c_str()));
  Recorder status(GadgetHandle(18));
  Recorder check(GadgetHandle(19));
  Click(19);
  ASSERT_TRUE(ServeUntilWorkerEnds());
  Serve(100);
  EXPECT_EQ(status.texts, std::vector<std::wstring>{L"Idle"});
  EXPECT_EQ(check.enables, (std::vector<int>{0, 1})) << "the controls come back enabled";
  EXPECT_TRUE(Enabled(13) && Enabled(15) && Enabled(16));
}

TEST_F(ToolWindowsTest, FileVerifierCheckOfAClosedWindowNeverWritesIntoTheNextOne) {
  ScratchFolder scratch;
  const std::wstring file = scratch.WriteSparse(L"large.bin", 1024u << 20);
  ReadyFileVerifier(file, L"0123456789abcdef0123456789abcdef");
  ASSERT_TRUE(Enabled(19));
  Click(19);
  ASSERT_TRUE(ServeUntilTrue([] { return Text(18).size() > 0 && Text(18).back() == L'%'; }));
  RequestClose(3);
  EXPECT_FALSE(IsWindowOpen(3)) << "a close request during a check closes at once";
  EXPECT_TRUE(IsWindowEnabled(Main()));

  Menu(kMenuVerifyFile);
  ASSERT_TRUE(IsWindowOpen(3));
  ASSERT_TRUE(WorkerRunning()) << "the file is too small to outlast the reopening";
  Recorder status(GadgetHandle(18));
  Recorder check(GadgetHandle(19)), choose(GadgetHandle(13)), field(GadgetHandle(15)), paste(GadgetHandle(16));
  ASSERT_TRUE(ServeUntilWorkerEnds());
  Serve(200);
  EXPECT_TRUE(status.texts.empty()) << "no percent and no result of the old check";
  EXPECT_EQ(Text(18), L"Idle");
  EXPECT_TRUE(check.enables.empty() && choose.enables.empty() && field.enables.empty() && paste.enables.empty());
  EXPECT_FALSE(Enabled(19));
}

// ---- Text digest

TEST_F(ToolWindowsTest, TextDigestWindowIsBuiltEmpty) {
  Menu(kMenuTextToMd5);
  ASSERT_TRUE(IsWindowOpen(5));
  ExpectToolWindow(5, L"Text to MD5", 441, 251, true);
  ExpectGadgets(WindowHandle(5), {{20, L"Edit", 10, 10, 420, 140, L""},
                                  {21, L"Button", 10, 150, 420, 50, L"Result"},
                                  {22, L"Edit", 20, 170, 340, 20, L""},
                                  {23, L"Button", 370, 170, 50, 20, L"copy"},
                                  {24, L"Button", 350, 210, 80, 30, L"Calculate"},
                                  {25, L"Button", 260, 210, 80, 30, L"Paste"}});
  const LONG editor = Style(20);
  EXPECT_TRUE(editor & ES_MULTILINE);
  EXPECT_TRUE(editor & WS_VSCROLL);
  EXPECT_TRUE(editor & WS_HSCROLL);
  EXPECT_TRUE(editor & ES_WANTRETURN);
  EXPECT_EQ(Style(21) & BS_TYPEMASK, BS_GROUPBOX);
  EXPECT_TRUE(Style(22) & ES_READONLY);
  EXPECT_FALSE(Style(22) & WS_BORDER);
  EXPECT_FALSE(GetWindowLongW(GadgetHandle(22), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  CloseOrder order(5);
  RequestClose(5);
  EXPECT_FALSE(IsWindowOpen(5));
  EXPECT_EQ(order.steps, (std::vector<std::string>{"enable main", "destroy"}));
}

TEST_F(ToolWindowsTest, TextDigestIsOverTheTypedTextInTheCodePage) {
  Menu(kMenuTextToMd5);
  ASSERT_TRUE(IsWindowOpen(5));
  Click(24);
  EXPECT_EQ(Text(22), L"d41d8cd98f00b204e9800998ecf8427e");
  Type(20, L"abc");
  Click(24);
  EXPECT_EQ(Text(22), L"900150983cd24fb0d6963f7d28e17f72");
  // Enter in the editor: the line break is hashed as CR LF.
  SetWindowTextW(GadgetHandle(20), L"");
  Type(20, L"a\rb");
  EXPECT_EQ(Text(20), L"a\r\nb");
  Click(24);
  EXPECT_EQ(Text(22), L"65d5f03c46e62e3f2babbe712d2ce464");

  // Characters outside the code page take its stand-ins: the digest is over
  // the converted bytes, whatever their number, never over UTF-16 or UTF-8.
  const std::wstring mixed = L"caf\u00e9 \u20ac \u0100\u4e2d\u05d0";
  SetWindowTextW(GadgetHandle(20), mixed.c_str());
  Click(24);
  const int length = WideCharToMultiByte(CP_ACP, 0, mixed.c_str(), static_cast<int>(mixed.size()), nullptr, 0,
                                         nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, 0, mixed.c_str(), static_cast<int>(mixed.size()), bytes.data(), length, nullptr,
                      nullptr);
  EXPECT_EQ(Narrow(Text(22)), DigestOf(bytes));
  EXPECT_NE(Text(22), DigestOfBuffer(mixed.data(), static_cast<std::int32_t>(mixed.size() * sizeof(wchar_t))));
  EXPECT_NE(Text(22), L"f0c3fd3a4ad91e3a9e4a9fd08c6de8b5");
  if (GetACP() == 1252) {
    SetWindowTextW(GadgetHandle(20), L"caf\u00e9 \u20ac");
    Click(24);
    EXPECT_EQ(Text(22), L"22601339bb7cc8fb5075ec9b37704e30") << "the bytes 'caf', E9, ' ', 80";
  }
}

TEST_F(ToolWindowsTest, TextDigestCopiesOnlyADigestAndPasteReplacesTheText) {
  Menu(kMenuTextToMd5);
  ASSERT_TRUE(IsWindowOpen(5));
  SetClipboardText(L"left alone");
  Click(23);
  EXPECT_EQ(GetClipboardText(), L"left alone") << "copy before Calculate";
  Type(20, L"abc");
  Click(24);
  Click(23);
  EXPECT_EQ(GetClipboardText(), L"900150983cd24fb0d6963f7d28e17f72");

  SetClipboardText(L"pasted");
  Click(25);
  EXPECT_EQ(Text(20), L"pasted") << "Paste replaces, it does not insert";
  EXPECT_EQ(Text(22), L"900150983cd24fb0d6963f7d28e17f72") << "the result is that of the last Calculate";
  EmptyClipboardNow();
  Click(25);
  EXPECT_EQ(Text(20), L"");

  RequestClose(5);
  Menu(kMenuTextToMd5);
  EXPECT_EQ(Text(20), L"");
  EXPECT_EQ(Text(22), L"");
}

// ---- Options

// Runs the test body in a scratch working directory, where settings.ini lives.
struct InScratchFolder {
  ScratchFolder scratch;
  std::wstring before;
  InScratchFolder() {
    wchar_t folder[MAX_PATH] = L"";
    GetCurrentDirectoryW(MAX_PATH, folder);
    before = folder;
    SetCurrentDirectoryW(scratch.root.wstring().c_str());
  }
  ~InScratchFolder() { SetCurrentDirectoryW(before.c_str()); }
  std::wstring SettingsPath() const { return scratch.PathOf(L"settings.ini"); }
};

std::string FileBytes(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "(none)";
  std::string bytes(4096, '\0');
  DWORD read = 0;
  ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  CloseHandle(file);
  bytes.resize(read);
  return bytes;
}

bool Ticked(std::int32_t gadget) { return SendMessageW(GadgetHandle(gadget), BM_GETCHECK, 0, 0) == BST_CHECKED; }

TEST_F(ToolWindowsTest, OptionsShowsTheSettingsInMemoryInItsPanel) {
  TheProgram().settings = Settings{1, 0};
  Menu(kMenuOptions);
  ASSERT_TRUE(IsWindowOpen(1));
  ExpectToolWindow(1, L"Options", 370, 200, false);
  ExpectGadgets(WindowHandle(1), {{1, L"Button", 210, 165, 70, 22, L"OK"},
                                  {2, L"Button", 290, 165, 70, 22, L"Cancel"},
                                  {4, L"SysTabControl32", 10, 10, 350, 145, L""}});
  ExpectGadgets(GadgetHandle(4),
                {{3, L"Button", 10, 5, 320, 20, L"Automatically put checkbox on files, right after they're added"},
                 {5, L"Button", 10, 25, 320, 20, L"Higher threads priority (more CPU cycles for the calculation)"}});
  EXPECT_EQ(Style(3) & BS_TYPEMASK, BS_AUTOCHECKBOX);
  EXPECT_EQ(Style(5) & BS_TYPEMASK, BS_AUTOCHECKBOX);
  EXPECT_FALSE(Ticked(3));
  EXPECT_TRUE(Ticked(5));
  EXPECT_EQ(SendMessageW(GadgetHandle(4), TCM_GETITEMCOUNT, 0, 0), 0);
  // The boxes paint on the panel's body, not in the window's face colour
  // (under a visual style the two differ): above a box's text as below it.
  RedrawWindow(WindowHandle(1), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  for (std::int32_t box : {3, 5}) {
    HDC box_dc = GetDC(GadgetHandle(box));
    HDC panel_dc = GetDC(GadgetHandle(4));
    EXPECT_EQ(GetPixel(box_dc, 200, 1), GetPixel(panel_dc, 200, 100)) << box;
    ReleaseDC(GadgetHandle(4), panel_dc);
    ReleaseDC(GadgetHandle(box), box_dc);
  }

  RequestClose(1);
  EXPECT_TRUE(IsWindowOpen(1)) << "Options closes only through its buttons";
}

TEST_F(ToolWindowsTest, OptionsCancelChangesNothingAndCreatesNoFile) {
  InScratchFolder folder;
  TheProgram().settings = Settings{0, 1};
  Menu(kMenuOptions);
  ASSERT_TRUE(IsWindowOpen(1));
  Click(3);
  Click(5);
  EXPECT_FALSE(Ticked(3));
  EXPECT_TRUE(Ticked(5));
  CloseOrder order(1);
  Click(2);
  EXPECT_FALSE(IsWindowOpen(1));
  EXPECT_TRUE(IsWindowEnabled(Main()));
  EXPECT_EQ(order.steps, (std::vector<std::string>{"destroy", "enable main"}));
  EXPECT_EQ(TheProgram().settings.thread_higher, 0);
  EXPECT_EQ(TheProgram().settings.auto_check, 1);
  EXPECT_EQ(GetFileAttributesW(folder.SettingsPath().c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(ToolWindowsTest, OptionsOkWritesTheFileAndReadsItBack) {
  InScratchFolder folder;
  TheProgram().settings = Settings{0, 1};
  Menu(kMenuOptions);
  CloseOrder order(1);
  Click(1);  // unchanged: written all the same
  EXPECT_FALSE(IsWindowOpen(1));
  EXPECT_EQ(order.steps, (std::vector<std::string>{"destroy", "enable main"}));
  EXPECT_EQ(FileBytes(folder.SettingsPath()), "\xEF\xBB\xBF\r\n[hash]\r\nthread.higher = 0\r\nauto.check = 1\r\n");

  Menu(kMenuOptions);
  Click(3);
  Click(5);
  Click(1);
  EXPECT_EQ(FileBytes(folder.SettingsPath()), "\xEF\xBB\xBF\r\n[hash]\r\nthread.higher = 1\r\nauto.check = 0\r\n");
  EXPECT_EQ(TheProgram().settings.thread_higher, 1);
  EXPECT_EQ(TheProgram().settings.auto_check, 0);

  // What the file holds is what OK leaves in memory: a hand-set 7 shows
  // ticked and is written back as 1.
  folder.scratch.Write(L"settings.ini", "[hash]\r\nauto.check = 7\r\n");
  LoadProgramSettings();
  Menu(kMenuOptions);
  EXPECT_TRUE(Ticked(3));
  EXPECT_FALSE(Ticked(5));
  Click(1);
  EXPECT_EQ(FileBytes(folder.SettingsPath()), "\xEF\xBB\xBF\r\n[hash]\r\nthread.higher = 0\r\nauto.check = 1\r\n");
  EXPECT_EQ(TheProgram().settings.auto_check, 1);
  EXPECT_TRUE(IsWindowEnabled(Main()));
}

TEST_F(ToolWindowsTest, OptionsOkWithAFileThatCannotBeWrittenClosesAndKeepsWhatTheFileHolds) {
  InScratchFolder folder;
  const std::string held = "[hash]\r\nthread.higher = 1\r\nauto.check = 0\r\n";
  const std::wstring path = folder.scratch.Write(L"settings.ini", held);
  ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
  LoadProgramSettings();
  Menu(kMenuOptions);
  Click(3);
  Click(5);
  Click(1);
  const std::string after = FileBytes(path);
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_FALSE(IsWindowOpen(1));
  EXPECT_TRUE(IsWindowEnabled(Main()));
  EXPECT_EQ(after, held);
  EXPECT_EQ(TheProgram().settings.thread_higher, 1);
  EXPECT_EQ(TheProgram().settings.auto_check, 0);
}

// The open requester as Windows may show it: the current folder follows the
// chosen file, OFN_NOCHANGEDIR or not.
bool g_dialog_moved_folder = false;
BOOL WINAPI OpenDialogThatMovesTheFolder(OPENFILENAMEW* request) {
  const BOOL chosen = GetOpenFileNameW(request);
  if (chosen) {
    const std::wstring folder(request->lpstrFile, request->nFileOffset);
    g_dialog_moved_folder = SetCurrentDirectoryW(folder.c_str()) != FALSE;
  }
  return chosen;
}

TEST_F(ToolWindowsTest, AFileChosenInAnotherFolderLeavesTheSettingsFileWhereItWas) {
  InScratchFolder folder;
  ScratchFolder elsewhere;
  const std::string bytes = PatternBytes(100, 1);
  const std::wstring file = elsewhere.Write(L"file.bin", bytes);
  const std::wstring list = elsewhere.Write(L"files.md5", ListFile({{"file.bin", DigestOf(bytes)}}));
  const OpenDialog dialog = ReplaceOpenDialog(OpenDialogThatMovesTheFolder);
  for (const auto& [menu, chosen] : {std::pair{kMenuAddFile, file}, std::pair{kMenuVerifyMd5File, list}}) {
    DeleteFileW(folder.SettingsPath().c_str());
    g_dialog_moved_folder = false;
    MenuWithRequester(menu, L"Open", chosen);
    EXPECT_TRUE(g_dialog_moved_folder) << menu;
    if (IsWindowOpen(2)) RequestClose(2);
    Menu(kMenuOptions);
    Click(1);
    EXPECT_NE(FileBytes(folder.SettingsPath()), "(none)") << menu;
    EXPECT_EQ(FileBytes(elsewhere.PathOf(L"settings.ini")), "(none)") << menu;
  }
  ReplaceOpenDialog(dialog);
}

// ---- About

std::vector<std::wstring> g_opened_pages;
void RecordPage(const std::wstring& address) { g_opened_pages.push_back(address); }

// A press and a release of the left button on the link, at client points.
void PressAndRelease(HWND link, POINT press, POINT release) {
  SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(press.x, press.y));
  SendMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(release.x, release.y));
  Serve(50);
}

// Whether the link shows a pixel of exactly `color` (its underline at least).
bool LinkShows(COLORREF color) {
  HWND link = GadgetHandle(103);
  RedrawWindow(link, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  HDC dc = GetDC(link);
  bool seen = false;
  for (int y = 0; y < 19 && !seen; ++y)
    for (int x = 0; x < 210 && !seen; ++x) seen = GetPixel(dc, x, y) == color;
  ReleaseDC(link, dc);
  return seen;
}

TEST_F(ToolWindowsTest, AboutShowsIconNameVersionLinkAndThanks) {
  Menu(kMenuAbout);
  ASSERT_TRUE(IsWindowOpen(4));
  ExpectToolWindow(4, L"About", 240, 175, false);
  ExpectGadgets(WindowHandle(4),
                {{100, L"Static", 10, 10, 48, 48, L""},
                 {101, L"Static", 70, 10, 160, 20, L"Sumwick"},
                 {102, L"Static", 70, 30, 160, 20, L"v.0.5.0 Build 284"},
                 {103, L"SumwickHyperLink", 10, 86, 210, 19, kIconsPageAddress},
                 {104, L"Static", 10, 72, 70, 13, L"Icons:"},
                 {105, L"Static", 10, 110, 210, 30,
                  L"Thanks to all my friends for helping me out with the GUI-related changes."},
                 {106, L"Button", 90, 143, 60, 23, L"OK"}});
  EXPECT_EQ(Style(101) & SS_TYPEMASK, SS_CENTER);
  EXPECT_EQ(Style(102) & SS_TYPEMASK, SS_CENTER);
  EXPECT_EQ(Style(104) & SS_TYPEMASK, SS_LEFTNOWORDWRAP);
  EXPECT_EQ(Style(105) & SS_TYPEMASK, SS_LEFT);
  EXPECT_EQ(Style(100) & SS_TYPEMASK, SS_ICON);

  const IconImageSize picture =
      SizeOfIcon(reinterpret_cast<HICON>(SendMessageW(GadgetHandle(100), STM_GETICON, 0, 0)));
  EXPECT_EQ(picture.width, 48);
  EXPECT_EQ(picture.height, 48);
  EXPECT_EQ(picture.bits, 32);

  EXPECT_TRUE(LinkShows(RGB(0, 0, 170)));
  EXPECT_FALSE(LinkShows(RGB(0, 0, 255)));
  SendMessageW(GadgetHandle(103), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_TRUE(LinkShows(RGB(0, 0, 255))) << "under the pointer";
  SendMessageW(GadgetHandle(103), WM_MOUSELEAVE, 0, 0);
  EXPECT_TRUE(LinkShows(RGB(0, 0, 170)));

  CloseOrder order(4);
  RequestClose(4);
  EXPECT_TRUE(IsWindowOpen(4)) << "About closes only through OK";
  Click(106);
  EXPECT_FALSE(IsWindowOpen(4));
  EXPECT_TRUE(IsWindowEnabled(Main()));
  EXPECT_EQ(order.steps, (std::vector<std::string>{"enable main", "destroy"}));
}

TEST_F(ToolWindowsTest, AboutPictureIsTheProgramIconsOwn48PixelImage) {
  const HICON stored = StoredIconImage(kProgramIconResource, 48);
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(SizeOfIcon(stored).bits, 32);
  Menu(kMenuAbout);
  ASSERT_TRUE(IsWindowOpen(4));
  const auto shown = reinterpret_cast<HICON>(SendMessageW(GadgetHandle(100), STM_GETICON, 0, 0));
  const std::vector<std::uint32_t> pixels = IconPixels(shown);
  ASSERT_EQ(pixels.size(), 2u * 48 * 48);
  EXPECT_LT(std::count(pixels.begin(), pixels.begin() + 48 * 48, 0u), 48 * 48) << "a picture, not a blank";
  EXPECT_EQ(pixels, IconPixels(stored));
  DestroyIcon(stored);
  Click(106);
}

TEST_F(ToolWindowsTest, AboutLinkAsksTheShellOncePerClickOnTheLinkOnly) {
  g_opened_pages.clear();
  PageOpener shell = ReplacePageOpener(RecordPage);
  Menu(kMenuAbout);
  ASSERT_TRUE(IsWindowOpen(4));
  HWND link = GadgetHandle(103);
  PressAndRelease(link, {5, 5}, {5, 5});
  EXPECT_EQ(g_opened_pages, std::vector<std::wstring>{kIconsPageAddress});
  PressAndRelease(link, {20, 8}, {40, 10});
  EXPECT_EQ(g_opened_pages.size(), 2u);
  // Pressed on the link, released off it: nothing.
  PressAndRelease(link, {5, 5}, {5, 60});
  PressAndRelease(link, {5, 5}, {400, 5});
  EXPECT_EQ(g_opened_pages.size(), 2u);
  EXPECT_TRUE(IsWindowOpen(4));
  Click(106);
  ReplacePageOpener(shell);
}

}  // namespace
