// The file list, the calculation run and Save MD5 on the real main window:
// commands arrive as the window's own messages and go through the program's
// event loop and dispatch; results are read back from the controls.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "app/dispatch.h"
#include "app/file_list.h"
#include "app/main_window.h"
#include "app/program.h"
#include "app/save_checksum_list.h"
#include "engine/md5_digest.h"
#include "engine_test_support.h"
#include "long_work_recorder.h"
#include "program_test_support.h"
#include "test_files.h"
#include "ui/events.h"
#include "ui/gadget.h"
#include "ui/list.h"
#include "ui/requester.h"
#include "ui/window.h"
#include "ui_test_support.h"

namespace {

constexpr const wchar_t* kEmptyDigest = L"d41d8cd98f00b204e9800998ecf8427e";

struct ShownRow {
  std::wstring name, size, hash;
  bool ticked = false;
  bool operator==(const ShownRow& other) const {
    return name == other.name && size == other.size && hash == other.hash && ticked == other.ticked;
  }
};

void PrintTo(const ShownRow& row, std::ostream* out) {
  *out << "{name of " << row.name.size() << ", size of " << row.size.size() << ", hash of " << row.hash.size()
       << (row.ticked ? ", ticked}" : ", unticked}");
}

HWND List() { return GadgetHandle(kFileListGadget); }
HWND Main() { return WindowHandle(kMainWindow); }
HWND Toolbar() { return FindWindowExW(Main(), nullptr, TOOLBARCLASSNAMEW, nullptr); }
HWND StatusBar() { return FindWindowExW(Main(), nullptr, STATUSCLASSNAMEW, nullptr); }
HWND Progress() { return FindWindowExW(StatusBar(), nullptr, PROGRESS_CLASSW, nullptr); }

// The control's own answers, not the services' copy.
std::wstring Cell(int row, int column) {
  wchar_t text[1024] = L"";
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = 1024;
  SendMessageW(List(), LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  return text;
}

int RowCount() { return static_cast<int>(SendMessageW(List(), LVM_GETITEMCOUNT, 0, 0)); }

// Whether a cell shows anything on the screen, as last drawn: a pixel inside
// it other than its background. (Cell asks the rows, whatever is drawn.)
bool CellDrawnNonBlank(int row, int column) {
  UpdateWindow(List());
  RECT cell{};
  cell.top = column;
  cell.left = LVIR_LABEL;
  SendMessageW(List(), LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
  HDC dc = GetDC(List());
  const COLORREF background = GetPixel(dc, cell.left + 2, cell.top + 2);
  bool drawn = false;
  for (int y = cell.top + 2; y < cell.bottom - 2 && !drawn; ++y)
    for (int x = cell.left + 2; x < cell.right - 2 && !drawn; ++x) drawn = GetPixel(dc, x, y) != background;
  ReleaseDC(List(), dc);
  return drawn;
}

bool Ticked(int row) {
  UINT state = static_cast<UINT>(SendMessageW(List(), LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK));
  return (state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
}

// The user's click on the check box, when it shows the other state. (The list
// keeps no ticks of its own: it serves them from the program's rows.)
void Tick(int row, bool ticked) {
  if (row < RowCount() && Ticked(row) != ticked) {
    EXPECT_TRUE(ClickTickBox(List(), row)) << row;
  }
}

void Select(int row) {
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(List(), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

std::vector<ShownRow> Shown() {
  std::vector<ShownRow> rows;
  for (int row = 0; row < RowCount(); ++row) rows.push_back({Cell(row, 0), Cell(row, 1), Cell(row, 2), Ticked(row)});
  return rows;
}

std::vector<std::wstring> Names() {
  std::vector<std::wstring> names;
  for (int row = 0; row < RowCount(); ++row) names.push_back(Cell(row, 0));
  return names;
}

std::wstring StateText() {
  wchar_t text[64] = L"";
  SendMessageW(StatusBar(), SB_GETTEXTW, kStateField, reinterpret_cast<LPARAM>(text));
  return text;
}

int ProgressPosition() { return static_cast<int>(SendMessageW(Progress(), PBM_GETPOS, 0, 0)); }
bool StartEnabled() { return SendMessageW(Toolbar(), TB_ISBUTTONENABLED, kMenuStart, 0) != 0; }
bool StopEnabled() { return SendMessageW(Toolbar(), TB_ISBUTTONENABLED, kMenuStop, 0) != 0; }
bool ShowsIdle() { return StateText() == L"Idle" && StartEnabled() && !StopEnabled() && ProgressPosition() == 0; }

// Runs the program's loop: every event is dispatched as in the real program.
void Dispatch(int ms) {
  ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(ms);
  while (GetTickCount64() < deadline) ServeNextEvent(10);
}

bool DispatchUntil(const std::function<bool()>& done, int ms) {
  ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(ms);
  while (!done()) {
    if (GetTickCount64() >= deadline) return false;
    ServeNextEvent(10);
  }
  return true;
}

// A menu item, toolbar button or shortcut, as the window receives it.
void Command(std::int32_t menu) {
  if (menu == kMenuStart || menu == kMenuStop)
    SendMessageW(Main(), WM_COMMAND, MAKEWPARAM(menu, BN_CLICKED), reinterpret_cast<LPARAM>(Toolbar()));
  else
    PostMessageW(Main(), WM_COMMAND, MAKEWPARAM(menu, 0), 0);
  // Served until the command itself has been dispatched.
  for (int turn = 0; turn < 100; ++turn) {
    if (ServeNextEvent(10) == kEventMenu && TheProgram().event.menu == menu) return;
  }
  ADD_FAILURE() << "menu event " << menu << " never arrived";
}

// Drops `paths` on the main window, as the shell would, and dispatches the
// drop event alone: the walk goes on behind it.
void DropOnly(const std::vector<std::wstring>& paths) {
  ASSERT_TRUE(DropFiles(Main(), paths));
  for (int turn = 0; turn < 100; ++turn)
    if (ServeNextEvent(10) == kEventDrop) return;
  ADD_FAILURE() << "the drop event never arrived";
}

// Drops `paths` on the main window, as the shell would, and dispatches the drop.
void Drop(const std::vector<std::wstring>& paths) {
  ASSERT_TRUE(DropFiles(Main(), paths));
  for (int turn = 0; turn < 100; ++turn) {
    if (ServeNextEvent(10) != kEventDrop) continue;
    EXPECT_TRUE(ServeUntilTrue([] { return !FilesBeingAdded(); })) << "the walk never ended";
    return;
  }
  ADD_FAILURE() << "the drop event never arrived";
}

std::wstring DigestOf(const std::string& bytes) {
  return DigestOfBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size()));
}

std::wstring DigestOfZeros(std::uint64_t size) {
  Md5Digest digest;
  digest.Start();
  std::vector<std::uint8_t> zeros(1 << 20, 0);
  for (std::uint64_t done = 0; done < size; done += zeros.size())
    digest.Add(zeros.data(), static_cast<std::uint32_t>(std::min<std::uint64_t>(zeros.size(), size - done)));
  return digest.Finish();
}

// A key pressed on `target` with Shift or Control held when asked; the
// shortcut's menu event is dispatched as the loop would.
void PressKeyTo(HWND target, WORD key, bool control = false, bool shift = false) {
  int dispatched = 0;
  for (const SeenEvent& event : PressKey(target, key, control, shift))
    dispatched += DispatchEvent({event.kind, event.window, event.type, event.gadget, event.menu, {}}) ? 1 : 0;
  EXPECT_EQ(dispatched, 1) << "key " << key;
}

std::wstring FullPath(const std::wstring& path) {
  wchar_t full[MAX_PATH] = L"";
  GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
  return full;
}

void MakeFolder(const std::wstring& path) { ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr)); }

std::wstring ClipboardText() {
  std::wstring text = L"(no text)";
  if (!OpenClipboard(Main())) return L"(not opened)";
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    text = static_cast<const wchar_t*>(GlobalLock(data));
    GlobalUnlock(data);
  }
  CloseClipboard();
  return text;
}

void PutOnClipboard(const std::wstring& text) {
  ASSERT_TRUE(OpenClipboard(Main()));
  EmptyClipboard();
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  memcpy(GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  GlobalUnlock(memory);
  SetClipboardData(CF_UNICODETEXT, memory);
  CloseClipboard();
}

std::string FileBytes(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The files below `folder` in the order the file system lists them, depth
// first, each subfolder's files where the subfolder stands: worked out here
// with the platform's own listing, apart from the program's walk.
void ListTree(const std::wstring& folder, std::vector<std::wstring>* files) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      ListTree(folder + L"\\" + name, files);
    else
      files->push_back(folder + L"\\" + name);
  } while (FindNextFileW(find, &data));
  FindClose(find);
}

std::vector<std::wstring> EntryPaths() {
  std::vector<std::wstring> paths;
  FileRowCopy row;
  for (RowId after = kNoRow; NextRow(TheFileRows(), after, &row); after = row.id) paths.push_back(row.entry.path);
  return paths;
}

// The control shows the program's rows, all of them, in their order.
void ExpectRowsInStep() {
  ASSERT_EQ(RowCount(), static_cast<int>(RowCount(TheFileRows())));
  FileRowCopy row;
  int index = 0;
  for (RowId after = kNoRow; NextRow(TheFileRows(), after, &row); after = row.id, ++index)
    ASSERT_EQ(Cell(index, 0), row.entry.path.substr(row.entry.path.find_last_of(L"\\/") + 1)) << index;
}

struct FileListTest : ProgramTest {
  void Run() {
    Command(kMenuStart);
    ASSERT_TRUE(DispatchUntil(ShowsIdle, 60000)) << "the run never came back to idle";
    Dispatch(30);
  }
  ScratchFolder scratch;
};

TEST_F(FileListTest, DroppedFilesShowNameSizeEmptyHashAndTick) {
  std::wstring small = scratch.Write(L"small.txt", std::string(1536, 'x'));
  std::wstring empty = scratch.Write(L"empty.bin", "");
  std::wstring missing = scratch.PathOf(L"missing.bin");
  Drop({small, empty, missing});
  std::vector<ShownRow> expected{{L"small.txt", L"1.50 KB", L"", true},
                                 {L"empty.bin", L"0 B", L"", true},
                                 {L"missing.bin", L"18446744073709551615 B", L"", true}};
  EXPECT_EQ(Shown(), expected);
  EXPECT_EQ(EntryPaths(), (std::vector<std::wstring>{small, empty, missing}));
  EXPECT_EQ(SendMessageW(List(), LVM_GETSELECTEDCOUNT, 0, 0), 0) << "adding selects nothing";
  ExpectRowsInStep();
}

TEST_F(FileListTest, TheSameFileTwiceGivesTwoRowsWithEntriesOfTheirOwn) {
  std::wstring file = scratch.Write(L"twice.txt", "abc");
  Drop({file});
  Drop({file});
  ASSERT_EQ(RowCount(), 2);
  EXPECT_EQ(Shown()[0], Shown()[1]);
  FileRowCopy first, second;
  ASSERT_TRUE(NextRow(TheFileRows(), kNoRow, &first));
  ASSERT_TRUE(NextRow(TheFileRows(), first.id, &second));
  EXPECT_NE(first.id, second.id);
  EXPECT_EQ(first.entry.path, second.entry.path);
  Run();
  Select(0);
  Command(kMenuDelete);
  ASSERT_EQ(RowCount(), 1);
  EXPECT_EQ(Shown()[0], (ShownRow{L"twice.txt", L"3 B", L"900150983cd24fb0d6963f7d28e17f72", true}));
  EXPECT_EQ(RowIndex(TheFileRows(), first.id), -1) << "the deleted row's entry went with it";
  EXPECT_EQ(RowIndex(TheFileRows(), second.id), 0);
  ExpectRowsInStep();
}

TEST_F(FileListTest, ADroppedTreeAddsEveryFileDepthFirstInListingOrder) {
  std::wstring top = scratch.PathOf(L"tree");
  for (const wchar_t* folder : {L"tree", L"tree\\sub", L"tree\\sub\\deeper", L"tree\\empty", L"tree\\sub\\empty too"})
    MakeFolder(scratch.PathOf(folder));
  scratch.Write(L"tree\\a.txt", "a");
  scratch.Write(L"tree\\sub\\b.txt", "b");
  scratch.Write(L"tree\\sub\\deeper\\c.txt", "c");
  scratch.Write(L"tree\\sub\\d.txt", "d");
  scratch.Write(L"tree\\z.txt", "z");
  std::wstring hidden = scratch.Write(L"tree\\sub\\hidden.txt", "h");
  ASSERT_TRUE(SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
  std::vector<std::wstring> expected;
  ListTree(top, &expected);
  ASSERT_EQ(expected.size(), 6u);
  Drop({top});
  EXPECT_EQ(EntryPaths(), expected);
  EXPECT_EQ(RowCount(), 6);
  const std::vector<std::wstring> names = Names();
  EXPECT_EQ(std::count(names.begin(), names.end(), L"hidden.txt"), 1) << "hidden and system files count";
  ExpectRowsInStep();

  Command(kMenuClearList);
  Drop({scratch.PathOf(L"tree\\empty")});
  EXPECT_EQ(RowCount(), 0) << "an empty folder adds nothing";
}

// Paths beyond the classic 259 characters are listed and hashed like any other.
TEST_F(FileListTest, FilesBeyondTheClassicPathLengthAreAddedAndHashed) {
  std::wstring top = FullPath(scratch.PathOf(L"long"));
  std::wstring folder = top;
  MakeFolder(L"\\\\?\\" + folder);
  while (folder.size() < 300) {
    folder += L"\\" + std::wstring(40, L'd');
    MakeFolder(L"\\\\?\\" + folder);
  }
  const std::wstring path = folder + L"\\deep.txt";
  HANDLE file = CreateFileW((L"\\\\?\\" + path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(file, "deep", 4, &written, nullptr);
  CloseHandle(file);
  ASSERT_GT(path.size(), 300u);
  Drop({top});
  ASSERT_EQ(EntryPaths(), std::vector<std::wstring>{path});
  EXPECT_EQ(Shown()[0], (ShownRow{L"deep.txt", L"4 B", L"", true}));
  Run();
  EXPECT_EQ(Cell(0, 2), DigestOf("deep"));
  // The scratch folder's own clean-up uses the classic API; remove the deep part here.
  for (std::wstring at = path; at.size() > top.size(); at.resize(at.find_last_of(L'\\'))) {
    if (!DeleteFileW((L"\\\\?\\" + at).c_str())) RemoveDirectoryW((L"\\\\?\\" + at).c_str());
  }
}

// `folders` folders of `files` files each, side by side in `top`.
std::wstring WriteTree(ScratchFolder& scratch, const std::wstring& top, int folders, int files) {
  for (int folder = 0; folder < folders; ++folder) {
    const std::wstring name = top + L"\\f" + std::to_wstring(folder);
    MakeFolder(scratch.PathOf(name));
    for (int file = 0; file < files; ++file) scratch.Write(name + L"\\" + std::to_wstring(file) + L".txt", "x");
  }
  return scratch.PathOf(top);
}

// The walk runs behind the window: while the tree's requests are held, the
// drop's event has long ended and the window serves.
TEST_F(FileListTest, ASlowWalkLeavesTheWindowServingAndGivesTheRowsOfASerialWalk) {
  const std::wstring big = scratch.WriteSparse(L"big.bin", 512u << 20);
  MakeFolder(scratch.PathOf(L"tree"));
  const std::wstring top = WriteTree(scratch, L"tree", 12, 5);
  const std::wstring late = scratch.Write(L"late.txt", "late");
  std::vector<std::wstring> expected{big};
  ListTree(top, &expected);
  expected.push_back(late);
  StoreGate gate(top, big);
  DropOnly({big, top});
  EXPECT_TRUE(FilesBeingAdded()) << "the drop's event ended before its walk";
  DropOnly({late});
  ASSERT_TRUE(ServeUntilTrue([] { return RowCount() >= 1; }));
  // A run started meanwhile reaches the rows appended after it.
  Command(kMenuStart);
  EXPECT_EQ(RowCount(), 1);
  gate.Open();
  ASSERT_TRUE(ServeUntilTrue([] { return !FilesBeingAdded(); }));
  EXPECT_EQ(EntryPaths(), expected) << "the serial walk's rows, the second drop's after the first";
  ExpectRowsInStep();
  ASSERT_TRUE(DispatchUntil(ShowsIdle, 60000));
  const std::vector<ShownRow> shown = Shown();
  EXPECT_EQ(shown[0].hash, DigestOfZeros(512u << 20));
  for (const ShownRow& row : shown) {
    EXPECT_TRUE(row.ticked);
    EXPECT_FALSE(row.hash.empty());
  }
}

// Clear list while the store has not answered the walk: the next drop is
// listed at once, beside the ended walk, and the ended walk asks for nothing
// more once its request is answered.
TEST_F(FileListTest, ClearListDuringASlowWalkEndsItAndTheNextDropStandsAlone) {
  MakeFolder(scratch.PathOf(L"tree"));
  const std::wstring top = WriteTree(scratch, L"tree", 12, 5);
  const std::wstring after = scratch.Write(L"after.txt", "after");
  StoreGate gate(top);
  DropOnly({top});
  ASSERT_TRUE(ServeUntilTrue([&] { return gate.Requests() > 0; }));
  Command(kMenuClearList);
  Drop({after});
  EXPECT_TRUE(ServeUntilTrue([] { return !FilesBeingAdded(); })) << "the next drop waits for nothing";
  EXPECT_EQ(EntryPaths(), std::vector<std::wstring>{after});
  const int asked = gate.Requests();
  gate.Open();
  // Bounded, as no end of a stopped walk can be seen: one that went on would
  // list the tree's 13 folders in a few milliseconds.
  EXPECT_FALSE(ServeUntilTrue([&] { return gate.Requests() > asked; }, 500)) << "the ended walk went on";
  EXPECT_EQ(EntryPaths(), std::vector<std::wstring>{after}) << "nothing of the ended walk after Clear list";
}

// Run by the next test in a process of its own, which it ends.
TEST(FileListChild, DISABLED_ClosesDuringASlowWalk) {
  ASSERT_TRUE(StartUp());
  wchar_t top[MAX_PATH] = L"";
  ASSERT_NE(GetEnvironmentVariableW(L"SUMWICK_SLOW_TREE", top, MAX_PATH), 0u);
  SlowShare slow(1000);
  ASSERT_TRUE(DropFiles(WindowHandle(kMainWindow), {top}));
  while (ServeNextEvent(10) != kEventDrop) {
  }
  ASSERT_TRUE(FilesBeingAdded());
  PostMessageW(WindowHandle(kMainWindow), WM_CLOSE, 0, 0);
  RunEventLoop();
}

TEST(FileListProcess, ClosingTheProgramDuringASlowWalkEndsItAtOnce) {
  ScratchFolder scratch;
  MakeFolder(scratch.PathOf(L"tree"));
  SetEnvironmentVariableW(L"SUMWICK_SLOW_TREE", WriteTree(scratch, L"tree", 12, 5).c_str());
  ProgramRun run;
  ASSERT_TRUE(StartDisabledTest(L"FileListChild.DISABLED_ClosesDuringASlowWalk", &run));
  // Serially, at a second a request, the walk alone would take 14 s.
  EXPECT_EQ(WaitForExit(run, 10000), 0u);
  SetEnvironmentVariableW(L"SUMWICK_SLOW_TREE", nullptr);
}

// `count` ticked rows "0", "1", ... of 1 byte each, every one with the digest
// "aa...a": what a child process saves.
void AddHashedRows(int count) {
  std::vector<FileEntry> entries;
  for (int k = 0; k < count; ++k) entries.push_back(FileEntry{L"C:\\f\\" + std::to_wstring(k), 1});
  AppendRows(TheFileRows(), std::move(entries), true);
  for (FileRowCopy row; NextRow(TheFileRows(), row.id, &row);) SetRowHash(TheFileRows(), row.id, std::wstring(32, L'a'));
}

// Runs the disabled test `child` in a process of its own, which saves to
// `path`; the process's exit code.
DWORD RunChildSavingTo(const wchar_t* child, const std::wstring& path) {
  SetEnvironmentVariableW(L"SUMWICK_SAVE_TO", path.c_str());
  ProgramRun run;
  const DWORD code = StartDisabledTest(child, &run) ? WaitForExit(run, 60000) : 1;
  SetEnvironmentVariableW(L"SUMWICK_SAVE_TO", nullptr);
  return code;
}

// Run by the next test in a process of its own, which it ends: the program
// is closed as soon as a long list's save is under way.
TEST(FileListChild, DISABLED_ClosesDuringASave) {
  ASSERT_TRUE(StartUp());
  wchar_t path[MAX_PATH] = L"";
  ASSERT_NE(GetEnvironmentVariableW(L"SUMWICK_SAVE_TO", path, MAX_PATH), 0u);
  AddHashedRows(20000);
  QueueSave(TakeListSnapshot(TheFileRows()), path);
  PostMessageW(WindowHandle(kMainWindow), WM_CLOSE, 0, 0);
  RunEventLoop();
}

// The program ends only once the list is written whole; nothing half written
// is left beside it.
TEST(FileListProcess, ClosingTheProgramDuringASaveLeavesAWholeList) {
  ScratchFolder scratch;
  const std::wstring path = scratch.Write(L"sums.md5", "the old list");
  EXPECT_EQ(RunChildSavingTo(L"FileListChild.DISABLED_ClosesDuringASave", path), 0u);
  std::string expected = "\xEF\xBB\xBF";
  for (int k = 0; k < 20000; ++k) expected += std::to_string(k) + "  " + std::string(32, 'a') + "\r\n";
  EXPECT_TRUE(FileBytes(path) == expected) << "the list as saved, whole";
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(scratch.root)) files += entry.is_regular_file();
  EXPECT_EQ(files, 1) << "nothing half written beside it";
}

// A close request waits for the saves chosen before it, the window served
// meanwhile. A save that fails is told with the main window still up and calls
// the quit off; a second close request ends the wait.
TEST_F(FileListTest, AQuitWaitsForTheSavesAndASaveThatFailsCallsItOff) {
  Drop({scratch.Write(L"a.txt", "abc")});
  Run();
  const auto rows = TakeListSnapshot(TheFileRows());
  QueueSave(rows, scratch.PathOf(L"no such folder\\sums.md5"));
  Command(kMenuExit);
  std::wstring box_text;
  std::thread answering([&] {
    if (HWND box = FindDialog(L"Error")) {
      box_text = MessageBoxText(box);
      EXPECT_TRUE(IsWindowOpen(kMainWindow)) << "told with the main window still up";
      PressUntilGone(box, IDOK);
    }
  });
  EXPECT_FALSE(WaitBeforeQuitting());
  answering.join();
  EXPECT_EQ(box_text, L"Could not save the checksum list.");
  EXPECT_EQ(TheProgram().quit, 0);
  EXPECT_EQ(GetAncestor(GetFocus(), GA_ROOT), Main()) << "the user may save again at once";

  const std::string expected = "\xEF\xBB\xBF" "a.txt  900150983cd24fb0d6963f7d28e17f72\r\n";
  const std::wstring held = scratch.PathOf(L"held.md5");
  {
    StoreGate gate(held);
    QueueSave(rows, held);
    Command(kMenuExit);
    std::thread opener([&] {
      while (gate.Requests() == 0) Sleep(1);
      gate.Open();
    });
    EXPECT_TRUE(WaitBeforeQuitting());
    opener.join();
    EXPECT_TRUE(FileBytes(held) == expected) << "written before the program may end";
  }

  TheProgram().quit = 0;
  const std::wstring never = scratch.PathOf(L"never.md5");
  StoreGate gate(never);
  QueueSave(rows, never);
  Command(kMenuExit);
  Command(kMenuExit);
  EXPECT_TRUE(WaitBeforeQuitting()) << "the second request ends the wait";
  EXPECT_TRUE(SavesUnderWay());
  gate.Open();
  FinishSaves();
  TheProgram().quit = 0;
}

// While a save is queued or written the session may not end: Windows then
// shows the reason and the user chooses.
TEST_F(FileListTest, TheSessionMayNotEndWhileASaveIsQueuedOrWritten) {
  Drop({scratch.Write(L"a.txt", "abc")});
  Run();
  const std::wstring held = scratch.PathOf(L"held.md5");
  StoreGate gate(held);
  EXPECT_EQ(SendMessageW(Main(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
  QueueSave(TakeListSnapshot(TheFileRows()), held);
  EXPECT_EQ(SendMessageW(Main(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), FALSE);
  ASSERT_TRUE(ServeUntilTrue([&] { return gate.Requests() > 0; }));
  EXPECT_EQ(SendMessageW(Main(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), FALSE) << "while it is written";
  gate.Open();
  ASSERT_TRUE(ServeUntilTrue([] { return !SavesUnderWay(); }));
  EXPECT_EQ(SendMessageW(Main(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
}

// Run by the next test in a process of its own: the session ends while a
// save is held and never written.
TEST(FileListChild, DISABLED_SessionEndsDuringAHeldSave) {
  ASSERT_TRUE(StartUp());
  wchar_t path[MAX_PATH] = L"";
  ASSERT_NE(GetEnvironmentVariableW(L"SUMWICK_SAVE_TO", path, MAX_PATH), 0u);
  AddHashedRows(1);
  StoreGate gate(path);
  QueueSave(TakeListSnapshot(TheFileRows()), path);
  ASSERT_TRUE(ServeUntilTrue([&] { return gate.Requests() > 0; }));
  SendMessageW(WindowHandle(kMainWindow), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  ADD_FAILURE() << "the session's end did not end the program";
}

TEST(FileListProcess, TheSessionsEndGivesAHeldSaveAFewSecondsThenEnds) {
  ScratchFolder scratch;
  const std::wstring path = scratch.Write(L"sums.md5", "the old list");
  EXPECT_EQ(RunChildSavingTo(L"FileListChild.DISABLED_SessionEndsDuringAHeldSave", path), 0u);
  EXPECT_TRUE(FileBytes(path) == "the old list") << "a save cut short leaves the old list";
}

TEST_F(FileListTest, AFileAndAFolderDroppedTogetherKeepTheDropOrder) {
  std::wstring first = scratch.Write(L"first.txt", "1");
  MakeFolder(scratch.PathOf(L"folder"));
  scratch.Write(L"folder\\inside.txt", "2");
  std::wstring last = scratch.Write(L"last.txt", "3");
  Drop({first, scratch.PathOf(L"folder"), last, first});
  EXPECT_EQ(Names(), (std::vector<std::wstring>{L"first.txt", L"inside.txt", L"last.txt", L"first.txt"}));
}

TEST_F(FileListTest, WithAutoCheckOffRowsArriveUntickedAndCopyEmptiesTheClipboard) {
  TheProgram().settings.auto_check = 0;
  Drop({scratch.Write(L"a.txt", "a"), scratch.Write(L"b.txt", "b")});
  ASSERT_EQ(RowCount(), 2);
  EXPECT_FALSE(Ticked(0));
  EXPECT_FALSE(Ticked(1));
  Run();
  EXPECT_EQ(Cell(0, 2), L"") << "unticked rows are not hashed";
  PutOnClipboard(L"what was there before");
  Command(kMenuCopy);
  EXPECT_TRUE(DispatchUntil([] { return ClipboardText().empty(); }, 5000));
}

TEST_F(FileListTest, CopyPutsTheTickedHashedRowsOnTheClipboardExactly) {
  Drop({scratch.Write(L"one.txt", "abc"), scratch.Write(L"skip.txt", "x"), scratch.Write(L"two.txt", "")});
  Tick(1, false);
  Run();
  Drop({scratch.Write(L"late.txt", "not hashed yet")});
  const std::wstring expected = L"one.txt  900150983cd24fb0d6963f7d28e17f72\r\ntwo.txt  " + std::wstring(kEmptyDigest) +
                                L"\r\n";
  Command(kMenuCopy);
  DispatchUntil([&] { return ClipboardText() == expected; }, 5000);
  EXPECT_EQ(ClipboardText(), expected);
  PutOnClipboard(L"changed");
  Command(kMenuCopy);
  DispatchUntil([&] { return ClipboardText() == expected; }, 5000);
  EXPECT_EQ(ClipboardText(), expected) << "a second Copy gives the same text";
}

// Run by the next test in a process of its own: Copy of the folder's two
// files, then the program is closed at once; it ends once their text is on
// the clipboard.
TEST_F(FileListTest, DISABLED_CopiesAndEnds) {
  wchar_t folder[MAX_PATH] = L"";
  ASSERT_NE(GetEnvironmentVariableW(L"SUMWICK_COPY_FOLDER", folder, MAX_PATH), 0u);
  Drop({std::wstring(folder) + L"\\pr\u00fcf \u2713.txt", std::wstring(folder) + L"\\two.txt"});
  Run();
  Command(kMenuCopy);
  // Closed at once: the text is still being made.
  PostMessageW(Main(), WM_CLOSE, 0, 0);
  RunEventLoop();
}

TEST(FileListProcess, CopiedTextStaysOnTheClipboardAfterTheProgramEnds) {
  ScratchFolder scratch;
  scratch.Write(L"pr\u00fcf \u2713.txt", "abc");
  scratch.Write(L"two.txt", "");
  SetEnvironmentVariableW(L"SUMWICK_COPY_FOLDER", FullPath(scratch.PathOf(L".")).c_str());
  ASSERT_TRUE(EmptyClipboardNow());
  ProgramRun run;
  ASSERT_TRUE(StartDisabledTest(L"FileListTest.DISABLED_CopiesAndEnds", &run));
  EXPECT_EQ(WaitForExit(run, 60000), 0u);
  SetEnvironmentVariableW(L"SUMWICK_COPY_FOLDER", nullptr);
  EXPECT_EQ(ClipboardText(), L"pr\u00fcf \u2713.txt  900150983cd24fb0d6963f7d28e17f72\r\ntwo.txt  " +
                                 std::wstring(kEmptyDigest) + L"\r\n");
}

TEST_F(FileListTest, DeleteRemovesTheSelectedRowOnlyAndClearRemovesAll) {
  Drop({scratch.Write(L"a.txt", "a"), scratch.Write(L"b.txt", "b"), scratch.Write(L"c.txt", "c")});
  Tick(2, false);
  Run();
  std::vector<ShownRow> before = Shown();
  Command(kMenuDelete);  // nothing selected
  EXPECT_EQ(Shown(), before);
  Select(1);
  SetFocus(List());
  PressKeyTo(List(), VK_DELETE);
  EXPECT_EQ(Shown(), (std::vector<ShownRow>{before[0], before[2]}));
  EXPECT_EQ(SendMessageW(List(), LVM_GETSELECTEDCOUNT, 0, 0), 0) << "no other row is selected in its place";
  ExpectRowsInStep();
  PressKeyTo(List(), VK_DELETE, false, true);
  EXPECT_EQ(RowCount(), 0);
  EXPECT_EQ(RowCount(TheFileRows()), 0u);
  Command(kMenuClearList);
  EXPECT_EQ(RowCount(), 0);
}

TEST_F(FileListTest, TheRunHashesTickedRowsAndLeavesOthersAsTheyWere) {
  std::wstring first = scratch.Write(L"first.txt", "The quick brown fox jumps over the lazy dog");
  std::wstring unticked = scratch.Write(L"unticked.txt", "u");
  std::wstring gone = scratch.Write(L"gone.txt", "g");
  std::wstring empty = scratch.Write(L"empty.txt", "");
  Drop({first, unticked, gone, empty});
  EXPECT_FALSE(CellDrawnNonBlank(0, 2));
  Run();  // every row has a hash now
  EXPECT_TRUE(CellDrawnNonBlank(0, 2)) << "the first row drawn again with its digest";
  ASSERT_EQ(Cell(1, 2), DigestOf("u"));
  scratch.Write(L"unticked.txt", "changed");
  scratch.Write(L"first.txt", "changed too");
  ASSERT_TRUE(DeleteFileW(gone.c_str()));
  Tick(1, false);
  Run();
  EXPECT_EQ(Cell(0, 2), DigestOf("changed too")) << "a ticked row is hashed again";
  EXPECT_EQ(Cell(1, 2), DigestOf("u")) << "an unticked row keeps its text";
  EXPECT_EQ(Cell(2, 2), DigestOf("g")) << "a file that cannot be opened leaves its row unchanged";
  EXPECT_EQ(Cell(3, 2), kEmptyDigest);
  EXPECT_TRUE(ShowsIdle());
}

// Windows refuses posts to a thread whose queue holds 10,000 of them (Wine has
// no cap). Here every wake-up post is refused and the window thread serves
// nothing while the run hashes many small files: once it serves again, every
// row has its digest and the run ends idle.
BOOL WINAPI RefusedPost(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

TEST_F(FileListTest, EveryDigestLandsWhenTheWindowIsBusyAndPostsAreRefused) {
  constexpr int kFiles = 3000;
  std::vector<std::wstring> files;
  for (int n = 0; n < kFiles; ++n) files.push_back(scratch.Write(L"f" + std::to_wstring(n), std::to_string(n)));
  Drop(files);
  ASSERT_EQ(RowCount(), kFiles);
  const WakePost before = ReplaceWakePost(RefusedPost);
  SendMessageW(Main(), WM_COMMAND, MAKEWPARAM(kMenuStart, BN_CLICKED), reinterpret_cast<LPARAM>(Toolbar()));
  ASSERT_EQ(ServeNextEvent(100), kEventMenu);  // Start dispatched; the worker runs
  // Busy elsewhere until the worker has hashed every file.
  for (int waited = 0; waited < 60000 && Cell(kFiles - 1, 2).empty(); waited += 50) Sleep(50);
  EXPECT_TRUE(DispatchUntil(ShowsIdle, 60000)) << "the run never came back to idle";
  ReplaceWakePost(before);
  Dispatch(30);
  for (int n = 0; n < kFiles; ++n) ASSERT_EQ(Cell(n, 2), DigestOf(std::to_string(n))) << n;
}

TEST_F(FileListTest, StartShowsTheRunningStateAndAnEmptyListEndsIdle) {
  Command(kMenuStart);
  ASSERT_TRUE(DispatchUntil(ShowsIdle, 5000));
  Drop({scratch.WriteSparse(L"big.bin", 512u << 20)});
  Command(kMenuStart);
  EXPECT_EQ(StateText(), L"Calculating");
  EXPECT_FALSE(StartEnabled());
  EXPECT_TRUE(StopEnabled());
  EXPECT_TRUE(IsWindowEnabled(Main())) << "the list stays usable during a run";
}

// Hashing a large file long enough to be caught in the middle.
constexpr std::uint64_t kLargeSize = 768ull << 20;

TEST_F(FileListTest, StopDuringALargeFileIsIdleAtOnceAndLeavesTheRow) {
  Drop({scratch.WriteSparse(L"large.bin", kLargeSize), scratch.Write(L"after.txt", "after")});
  Command(kMenuStart);
  ASSERT_TRUE(DispatchUntil([] { return ProgressPosition() > 0; }, 20000));
  Sleep(100);  // the worker's progress reports wait in the queue, as when the window is busy
  Command(kMenuStop);
  EXPECT_TRUE(ShowsIdle());
  Dispatch(1500);  // whatever the stopped worker still sends
  EXPECT_TRUE(ShowsIdle());
  EXPECT_EQ(Cell(0, 2), L"");
  EXPECT_EQ(Cell(1, 2), L"") << "the run ended at the large file";
}

// The taskbar shows the whole run by bytes, and the computer is kept awake,
// from Start until the run ends whole or is stopped.
TEST_F(FileListTest, TheRunShowsOnTheTaskbarAndKeepsTheComputerAwakeUntilItEndsOrStops) {
  RecordedLongWork taskbar(CallOnWindowThread);
  const LongWorkRecord& record = taskbar.record;
  constexpr std::uint64_t kSize = 64u << 20;
  Drop({scratch.WriteSparse(L"sparse.bin", kSize), scratch.Write(L"small.txt", "abc")});
  TheProgram().settings.auto_check = 0;
  Drop({scratch.Write(L"unticked.txt", "not counted")});
  Command(kMenuStart);
  EXPECT_EQ(record.calls.front(), "awake");
  ASSERT_FALSE(record.shown.empty());
  EXPECT_EQ(record.shown.front().total, kSize + 3) << "every ticked row's bytes, as the run starts";
  ASSERT_TRUE(DispatchUntil([] { UpdateLongWork(); return ShowsIdle(); }, 60000));
  ASSERT_TRUE(DispatchUntil([&] { return record.awake == 0; }, 5000)) << "the worker's end lets the computer sleep";
  EXPECT_TRUE(taskbar.ShownWithinTotals());
  ASSERT_GE(record.calls.size(), 3u);
  EXPECT_EQ(record.calls[record.calls.size() - 3], "show");
  EXPECT_EQ(record.calls[record.calls.size() - 2], "clear");
  EXPECT_EQ(record.shown.back().done, kSize + 3);
  EXPECT_EQ(record.shown.back().total, kSize + 3) << "a whole run reaches its total";

  Drop({scratch.WriteSparse(L"large.bin", kLargeSize)});
  Command(kMenuStart);
  EXPECT_EQ(record.awake, 1);
  ASSERT_TRUE(DispatchUntil([] { return ProgressPosition() > 0; }, 20000));
  Command(kMenuStop);
  EXPECT_EQ(record.awake, 0) << "Stop lets go at once";
  EXPECT_EQ(record.calls.back(), "sleep");
  const std::size_t calls = record.calls.size();
  Dispatch(1500);  // the stopped worker ends meanwhile
  EXPECT_EQ(record.calls.size(), calls);
  EXPECT_EQ(std::count(record.calls.begin(), record.calls.end(), "awake"), 2);
}

TEST_F(FileListTest, StopThenStartAtOnceGivesARunTheOldRequestCannotStop) {
  std::wstring large = scratch.WriteSparse(L"large.bin", kLargeSize);
  Drop({large, scratch.Write(L"small.txt", "small")});
  Command(kMenuStart);
  ASSERT_TRUE(DispatchUntil([] { return ProgressPosition() > 0; }, 20000));
  Sleep(100);
  Command(kMenuStop);
  Command(kMenuStart);
  EXPECT_EQ(StateText(), L"Calculating");
  Dispatch(300);
  EXPECT_EQ(StateText(), L"Calculating") << "the old worker's end must not show idle for the new run";
  ASSERT_TRUE(DispatchUntil(ShowsIdle, 120000));
  EXPECT_EQ(Cell(0, 2), DigestOfZeros(kLargeSize)) << "the new run read the large file whole, from its start";
  EXPECT_EQ(Cell(1, 2), DigestOf("small"));
}

TEST_F(FileListTest, RowsAppendedDuringARunAreReachedByIt) {
  Drop({scratch.WriteSparse(L"large.bin", 256u << 20)});
  Command(kMenuStart);
  ASSERT_TRUE(DispatchUntil([] { return ProgressPosition() > 0; }, 20000));
  Drop({scratch.Write(L"late.txt", "late")});
  TheProgram().settings.auto_check = 0;
  Drop({scratch.Write(L"late unticked.txt", "late")});
  ASSERT_TRUE(DispatchUntil(ShowsIdle, 60000));
  EXPECT_EQ(Cell(1, 2), DigestOf("late"));
  EXPECT_EQ(Cell(2, 2), L"");
}

// Deleting and clearing rows while the worker walks them: every digest must
// land in the row of its own file, and the control shows the rows as they are.
TEST_F(FileListTest, DeletingAndClearingDuringRunsNeverMisplacesADigest) {
  std::vector<std::wstring> paths;
  std::map<std::wstring, std::wstring> digest_of_name;
  for (int n = 0; n < 60; ++n) {
    std::string content = "file number " + std::to_string(n) + std::string(static_cast<std::size_t>(n) * 37, 'q');
    std::wstring name = L"f" + std::to_wstring(n) + L".txt";
    paths.push_back(scratch.Write(name, content));
    digest_of_name[name] = DigestOf(content);
  }
  std::mt19937 random(12345);
  int digests_seen = 0;
  for (int iteration = 0; iteration < 25; ++iteration) {
    Command(kMenuClearList);
    Drop(paths);
    Command(kMenuStart);
    for (int step = 0; step < 12 && !ShowsIdle(); ++step) {
      const int action = static_cast<int>(random() % 10);
      if (action < 7 && RowCount() > 0) {
        Select(static_cast<int>(random() % static_cast<unsigned>(RowCount())));
        Command(kMenuDelete);
      } else if (action < 8) {
        Command(kMenuClearList);
      } else if (action < 9) {
        Drop({paths[random() % paths.size()]});
      } else {
        Tick(static_cast<int>(random() % static_cast<unsigned>(std::max(1, RowCount()))), false);
      }
      ExpectRowsInStep();
      Dispatch(static_cast<int>(random() % 8));
    }
    ASSERT_TRUE(DispatchUntil(ShowsIdle, 60000)) << iteration;
    for (int row = 0; row < RowCount(); ++row) {
      const std::wstring hash = Cell(row, 2);
      if (hash.empty()) continue;
      ++digests_seen;
      EXPECT_EQ(hash, digest_of_name[Cell(row, 0)]) << "iteration " << iteration << " row " << row;
    }
    ExpectRowsInStep();
  }
  EXPECT_GT(digests_seen, 100) << "the runs hashed rows that stayed";
}

// Answers a requester from another thread as a user would: waits for the
// dialog titled `title`, types `typed` into its file name box key by key and
// presses Enter; with nothing to type it presses Escape.
struct TypedAnswer {
  std::wstring title;
  std::wstring typed;
  bool found = false;
};

HWND WaitForDialog(const std::wstring& title) {
  for (int i = 0; i < 800; ++i) {
    HWND dialog = FindWindowW(L"#32770", title.c_str());
    if (dialog && IsWindowVisible(dialog) && IsWindowEnabled(dialog)) {
      Sleep(200);
      return dialog;
    }
    Sleep(25);
  }
  return nullptr;
}

void TypeAnswer(TypedAnswer* answer) {
  HWND dialog = WaitForDialog(answer->title);
  if (!dialog) return;
  answer->found = true;
  HWND box = FileNameBox(dialog);
  if (answer->typed.empty() || !box) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  } else {
    SendMessageW(box, EM_SETSEL, 0, -1);
    for (wchar_t c : answer->typed) SendMessageW(box, WM_CHAR, c, 1);
    PostMessageW(box, WM_KEYDOWN, VK_RETURN, 1);
    PostMessageW(box, WM_KEYUP, VK_RETURN, 0xC0000001);
  }
  // A dialog that stays (a fault) is cancelled so that the test ends.
  for (int i = 0; i < 100 && IsWindow(dialog); ++i) Sleep(50);
  if (IsWindow(dialog)) PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

// Runs menu command `menu`, whose requester `answer` answers.
void CommandWithRequester(std::int32_t menu, TypedAnswer* answer) {
  std::thread answering(TypeAnswer, answer);
  Command(menu);
  answering.join();
  EXPECT_TRUE(ServeUntilTrue([] { return !FilesBeingAdded(); }));
}

TEST_F(FileListTest, AddFileRequesterAddsTheTypedFilesAndAMissingNameAsItsRow) {
  std::wstring a = FullPath(scratch.Write(L"a.txt", "aa"));
  std::wstring folder = a.substr(0, a.find_last_of(L'\\'));
  scratch.Write(L"b.txt", "bbb");
  TypedAnswer cancel{L"Open", L""};
  CommandWithRequester(kMenuAddFile, &cancel);
  ASSERT_TRUE(cancel.found);
  EXPECT_EQ(RowCount(), 0);

  TypedAnswer one{L"Open", a};
  CommandWithRequester(kMenuAddFile, &one);
  ASSERT_TRUE(one.found);
  EXPECT_EQ(EntryPaths(), std::vector<std::wstring>{a});
  EXPECT_EQ(Shown()[0], (ShownRow{L"a.txt", L"2 B", L"", true}));

  wchar_t before[MAX_PATH] = L"";
  GetCurrentDirectoryW(MAX_PATH, before);
  SetCurrentDirectoryW(folder.c_str());
  TypedAnswer two{L"Open", L"\"b.txt\" \"a.txt\""};
  CommandWithRequester(kMenuAddFile, &two);
  wchar_t after[MAX_PATH] = L"";
  GetCurrentDirectoryW(MAX_PATH, after);
  SetCurrentDirectoryW(before);
  EXPECT_STREQ(after, folder.c_str()) << "the requester keeps the working directory";
  std::vector<std::wstring> added = EntryPaths();
  ASSERT_EQ(added.size(), 3u);
  std::sort(added.begin() + 1, added.end());
  EXPECT_EQ(added, (std::vector<std::wstring>{a, folder + L"\\a.txt", folder + L"\\b.txt"}));

  TypedAnswer missing{L"Open", folder + L"\\not there.txt"};
  CommandWithRequester(kMenuAddFile, &missing);
  ASSERT_EQ(RowCount(), 4);
  EXPECT_EQ(Shown()[3], (ShownRow{L"not there.txt", L"18446744073709551615 B", L"", true}));
}

TEST_F(FileListTest, SaveMd5WritesTheExactBytesThroughTheSaveRequester) {
  std::wstring file = FullPath(scratch.Write(L"\u00fcber.txt", "abc"));
  std::wstring folder = file.substr(0, file.find_last_of(L'\\'));
  Drop({file, scratch.Write(L"skip.txt", "s"), scratch.Write(L"empty.txt", "")});
  Tick(1, false);
  Run();
  TypedAnswer cancel{L"Save", L""};
  CommandWithRequester(kMenuSaveMd5, &cancel);
  ASSERT_TRUE(cancel.found);
  TypedAnswer save{L"Save", folder + L"\\sums"};
  CommandWithRequester(kMenuSaveMd5, &save);
  ASSERT_TRUE(save.found);
  FinishSaves();  // written by a worker
  EXPECT_EQ(FileBytes(folder + L"\\sums.md5"),
            "\xEF\xBB\xBF\xC3\xBC"
            "ber.txt  900150983cd24fb0d6963f7d28e17f72\r\nempty.txt  d41d8cd98f00b204e9800998ecf8427e\r\n");
  EXPECT_EQ(GetFileAttributesW((folder + L"\\sums").c_str()), INVALID_FILE_ATTRIBUTES);

  TypedAnswer upper{L"Save", folder + L"\\SUMS.MD5"};
  Tick(0, false);
  CommandWithRequester(kMenuSaveMd5, &upper);
  FinishSaves();
  EXPECT_EQ(FileBytes(folder + L"\\SUMS.MD5"), "\xEF\xBB\xBF" "empty.txt  d41d8cd98f00b204e9800998ecf8427e\r\n");
}

TEST_F(FileListTest, AFailedSaveIsReportedAndTheOldFileStays) {
  std::wstring file = FullPath(scratch.Write(L"a.txt", "abc"));
  std::wstring folder = file.substr(0, file.find_last_of(L'\\'));
  // "blocked.md5" is a folder: nothing can be written under that name.
  ASSERT_TRUE(CreateDirectoryW((folder + L"\\blocked.md5").c_str(), nullptr));
  scratch.Write(L"blocked.md5\\keep.txt", "kept");
  Drop({file});
  Run();
  std::wstring message;
  bool box_found = false;
  std::atomic<bool> answered{false};
  std::thread answering([&] {
    HWND save = WaitForDialog(L"Save");
    HWND error = nullptr;
    if (save) {
      HWND box = FileNameBox(save);
      std::wstring typed = folder + L"\\blocked";
      SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()));
      PostMessageW(save, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
      error = WaitForDialog(L"Error");
    }
    if (error) {
      box_found = true;
      message = MessageBoxText(error);
      PostMessageW(error, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
    answered.store(true);
  });
  Command(kMenuSaveMd5);
  // The list is written by a worker; its failure is reported on the window thread.
  ServeUntilTrue([&] { return answered.load(); }, 60000);
  answering.join();
  EXPECT_TRUE(box_found);
  EXPECT_EQ(message, L"Could not save the checksum list.");
  EXPECT_EQ(FileBytes(folder + L"\\blocked.md5\\keep.txt"), "kept");
  EXPECT_TRUE(GetFileAttributesW((folder + L"\\blocked.md5").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
}

// A failed save's box asked for while a file requester is up waits for the
// requester to close, then opens owned by the main window.
TEST_F(FileListTest, AMessageAskedForWhileARequesterIsUpWaitsForItToClose) {
  bool early = false;
  HWND owner = nullptr;
  std::wstring message;
  std::thread answering([&] {
    HWND requester = WaitForDialog(L"Open");
    if (!requester) return;
    CallOnWindowThread(kMainWindow, [] {
      MessageRequester(L"Error", L"Could not save the checksum list.", kMainWindow);
    });
    // Bounded: the box must not come while the requester is up.
    for (int turn = 0; turn < 50 && !early; ++turn, Sleep(10)) early = FindWindowW(L"#32770", L"Error") != nullptr;
    PressUntilGone(requester, IDCANCEL);
    if (HWND box = WaitForDialog(L"Error")) {
      owner = GetWindow(box, GW_OWNER);
      message = MessageBoxText(box);
      PressUntilGone(box, IDOK);
    }
  });
  Command(kMenuAddFile);
  answering.join();
  EXPECT_FALSE(early) << "the box opened while the requester was up";
  EXPECT_EQ(message, L"Could not save the checksum list.");
  EXPECT_EQ(owner, Main());
  EXPECT_EQ(GetAncestor(GetFocus(), GA_ROOT), Main()) << "the keyboard is back with the main window";
}

TEST_F(FileListTest, ARightClickOpensThePopUpMenuAtThePointer) {
  Drop({scratch.Write(L"a.txt", "a")});
  SetCursorPos(120, 140);
  POINT pointer{};
  GetCursorPos(&pointer);
  const RECT shown = PopUpMenuShownBy([] {
    // The control's own report of a right click, as the list sends it.
    NMITEMACTIVATE click{};
    click.hdr.hwndFrom = List();
    click.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(List()));
    click.hdr.code = NM_RCLICK;
    click.iItem = -1;
    SendMessageW(Main(), WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
    for (int turn = 0; turn < 50; ++turn)
      if (ServeNextEvent(10) == kEventControl) break;
  });
  ASSERT_FALSE(IsRectEmpty(&shown)) << "the menu came";
  EXPECT_EQ(shown.left, pointer.x - 1);
  EXPECT_EQ(shown.top, pointer.y - 1);
}

}  // namespace
