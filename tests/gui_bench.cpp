// Benchmarks of the real main window (no timed assertions; scripts/bench-gui.sh
// runs it under Wine). While each step runs, another thread asks the main
// window for nothing every 20 ms (WM_NULL through SendMessageTimeout) and
// keeps the longest wait for an answer: how long the window stopped serving.
//
//   gui_bench.exe --drop <folder> <files>: the folder dropped on the window
//     until all its files are listed, the process's memory for those rows;
//     then Copy, Save MD5 and Clear list on them, each with its longest wait.
//   gui_bench.exe --list <checksum list> <rows>: the MD5 file verifier opened
//     on the list until every row is in (and the list read alone, for
//     comparison), then its check served for 5 s. --list-close: closed
//     instead once every row is in.
//   gui_bench.exe --run <file>: one large file hashed by the calculation run,
//     from Start until the window is idle again.
//   gui_bench.exe --requester: Add File's requester opened and cancelled once
//     shown: how long the window stopped serving while it opened.
//   gui_bench.exe --bare <rows>: the platform's list view alone filled with as
//     many rows, to tell the control's own cost from the program's.
//   gui_bench.exe --walk <folder>: the plain serial walk with FindFirstFileW,
//     what a drop is measured against.
//   gui_bench.exe --lookups <checksum list>: each listed file's size asked
//     for one after another, what opening the list is measured against.
//   gui_bench.exe --pauses: 1,000 of the digest job's 1 ms pauses made each
//     way this system offers, their median and 99th percentile.
#include <windows.h>

#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "checksum_list_helpers.h"
#include "app/file_list.h"
#include "app/save_checksum_list.h"
#include "app/main_window.h"
#include "app/program.h"
#include "engine/md5_digest.h"
#include "formats/checksum_list.h"
#include "formats/checksum_list_reader.h"
#include "os/access_hook.h"
#include "os/whole_file.h"
#include "pause_test_access.h"
#include "ui/events.h"
#include "ui/gadget.h"
#include "ui/list.h"
#include "ui/requester.h"
#include "ui/window.h"
#include "ui_test_support.h"
#include "windows/md5_file_verifier_window.h"

namespace {

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

LARGE_INTEGER Now() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now;
}

// Processor seconds spent so far by the window thread and by the whole process.
struct ProcessorTime {
  double window_thread = 0;
  double process = 0;
};

double FileTimeSeconds(const FILETIME& kernel, const FILETIME& user) {
  const auto seconds = [](const FILETIME& t) {
    return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
  };
  return seconds(kernel) + seconds(user);
}

ProcessorTime ProcessorTimeNow() {
  FILETIME created, ended, kernel, user;
  ProcessorTime now;
  if (GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user)) now.window_thread = FileTimeSeconds(kernel, user);
  if (GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user)) now.process = FileTimeSeconds(kernel, user);
  return now;
}

struct Memory {
  double private_mb = 0, working_set_mb = 0;
};

Memory MemoryNow() {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof(counters);
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof(counters));
  // PagefileUsage is the private bytes (Wine leaves PrivateUsage at 0).
  return {static_cast<double>(counters.PagefileUsage) / 1048576.0,
          static_cast<double>(counters.WorkingSetSize) / 1048576.0};
}

// Serves the program's loop until nothing is left to do for a moment.
void ServeQueue() {
  while (ServeNextEvent(50) != 0) {
  }
}

bool IsIdle() {
  HWND toolbar = FindWindowExW(WindowHandle(kMainWindow), nullptr, TOOLBARCLASSNAMEW, nullptr);
  return SendMessageW(toolbar, TB_ISBUTTONENABLED, kMenuStart, 0) != 0;
}

// Asks `window` for nothing every 20 ms from a thread of its own, and keeps
// the longest wait for the answer, from its start until Stop.
class Probe {
 public:
  explicit Probe(HWND window) : window_(window), thread_([this] { Loop(); }) {}
  ~Probe() { Stop(); }
  // Called on the window's thread: answers the last question while waiting.
  double Stop() {
    stop_.store(true);
    MSG message;
    while (!finished_.load()) {
      PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
      Sleep(1);
    }
    if (thread_.joinable()) thread_.join();
    return longest_ms_;
  }

 private:
  void Loop() {
    while (!stop_.load()) {
      const LARGE_INTEGER asked = Now();
      DWORD_PTR result = 0;
      SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, 600000, &result);
      longest_ms_ = std::max(longest_ms_, Seconds(asked, Now()) * 1000);
      Sleep(20);
    }
    finished_.store(true);
  }

  HWND window_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> finished_{false};
  double longest_ms_ = 0;
  std::thread thread_;
};

// One command of the main window as the user gives it, served until it has
// been dispatched and `done` holds: its seconds and the longest wait.
void TimeCommand(const char* name, std::int32_t menu, const std::function<bool()>& done) {
  Probe probe(WindowHandle(kMainWindow));
  const LARGE_INTEGER start = Now();
  PostMessageW(WindowHandle(kMainWindow), WM_COMMAND, MAKEWPARAM(menu, 0), 0);
  while (!(ServeNextEvent(5) == kEventMenu && TheProgram().event.menu == menu)) {
  }
  while (!done()) ServeNextEvent(5);
  const double seconds = Seconds(start, Now());
  std::printf("%s_seconds=%.3f\n%s_longest_wait_ms=%.1f\n", name, seconds, name, probe.Stop());
  std::fflush(stdout);
}

// The platform's list view alone, in a fresh process, built like the file
// list and filled like it (three texts and a tick per row, redraw off): what
// the control itself costs, apart from the program.
int BareListView(int rows) {
  HWND top = CreateWindowExW(0, L"STATIC", L"bare", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 706, 379, nullptr,
                             nullptr, nullptr, nullptr);
  HWND list = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                              WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS, 0, 0, 690, 250,
                              top, nullptr, nullptr, nullptr);
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  for (int column = 0; column < 3; ++column) {
    LVCOLUMNW header{};
    header.mask = LVCF_WIDTH;
    header.cx = column == 0 ? 390 : column == 1 ? 60 : 200;
    SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&header));
  }
  const Memory before = MemoryNow();
  const LARGE_INTEGER start = Now();
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  for (int row = 0; row < rows; ++row) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = const_cast<wchar_t*>(L"file0000.txt");
    const auto index = static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    item.iSubItem = 1;
    item.pszText = const_cast<wchar_t*>(L"6 B");
    SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    LVITEMW tick{};
    tick.stateMask = LVIS_STATEIMAGEMASK;
    tick.state = INDEXTOSTATEIMAGEMASK(2);
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&tick));
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  UpdateWindow(list);
  std::printf("bare_list_view_rows=%d\nbare_list_view_seconds=%.3f\nbare_list_view_private_mb=%.1f\n", rows,
              Seconds(start, Now()), MemoryNow().private_mb - before.private_mb);
  std::fflush(stdout);
  return 0;
}

// The verifier on `list`: from the open call until the list control holds
// all `expected` rows and Check is enabled, with the longest wait meanwhile;
// then its check, pressed and served for 5 s, with the longest the window
// thread spent on one event meanwhile; or with `then_close`, the window closed.
int OpenVerifierList(const std::wstring& list, int expected, bool then_close) {
  if (!StartUp()) return 1;
  ServeQueue();
  const Memory before = MemoryNow();
  Probe probe(WindowHandle(kMainWindow));
  const ProcessorTime used_before = ProcessorTimeNow();
  const LARGE_INTEGER start = Now();
  OpenMd5FileVerifierWindow(ToolContext(), list);
  HWND rows = FindWindowExW(WindowHandle(kVerifierWindow), nullptr, WC_LISTVIEWW, nullptr);
  HWND check = FindWindowExW(WindowHandle(kVerifierWindow), nullptr, L"Button", L"Check");
  // The peak as sampled between the events served while the rows come in.
  double peak_mb = before.private_mb;
  while (SendMessageW(rows, LVM_GETITEMCOUNT, 0, 0) < expected || !IsWindowEnabled(check)) {
    ServeNextEvent(5);
    peak_mb = std::max(peak_mb, MemoryNow().private_mb);
  }
  UpdateWindow(rows);
  const LARGE_INTEGER listed = Now();
  const double longest_wait = probe.Stop();
  const ProcessorTime used_after = ProcessorTimeNow();
  const int count = static_cast<int>(SendMessageW(rows, LVM_GETITEMCOUNT, 0, 0));
  // Printed once: the run that closes the window gives only the close.
  if (!then_close) {
    std::printf("verifier_rows=%d\nverifier_open_seconds=%.3f\nverifier_longest_wait_ms=%.1f\nverifier_private_mb=%.1f\n",
                count, Seconds(start, listed), longest_wait, MemoryNow().private_mb - before.private_mb);
    std::printf("verifier_peak_private_mb=%.1f\nverifier_process_peak_private_mb=%.1f\n", peak_mb - before.private_mb,
                peak_mb);
    std::printf("verifier_processor_seconds=%.3f\nverifier_window_thread_processor_seconds=%.3f\n",
                used_after.process - used_before.process, used_after.window_thread - used_before.window_thread);
  } else {
    // The window closed on its rows, and the main window served for half a
    // second after, while they are let go.
    Probe close_probe(WindowHandle(kMainWindow));
    const LARGE_INTEGER close_start = Now();
    CloseMd5FileVerifierWindow();
    const double close_seconds = Seconds(close_start, Now());
    for (const LARGE_INTEGER served = Now(); Seconds(served, Now()) < 0.5;) ServeNextEvent(5);
    std::printf("verifier_close_seconds=%.3f\nverifier_close_longest_wait_ms=%.1f\n", close_seconds, close_probe.Stop());
    std::fflush(stdout);
    TerminateProcess(GetCurrentProcess(), 0);
  }
  const LARGE_INTEGER lines_start = Now();
  std::vector<ChecksumLine> lines;
  ReadChecksumLines(list, &lines);
  std::printf("list_lines=%zu\nlist_lines_seconds=%.3f\n", lines.size(), Seconds(lines_start, Now()));
  const LARGE_INTEGER read_start = Now();
  const std::size_t entries = ReadChecksumList(list).size();
  std::printf("list_read_entries=%zu\nlist_read_seconds=%.3f\n", entries, Seconds(read_start, Now()));
  std::fflush(stdout);

  PostMessageW(check, BM_CLICK, 0, 0);
  double longest = 0;
  const LARGE_INTEGER check_start = Now();
  while (Seconds(check_start, Now()) < 5) {
    const LARGE_INTEGER served = Now();
    ServeNextEvent(5);
    longest = std::max(longest, Seconds(served, Now()));
  }
  int checked = 0;
  for (int row = 0; row < count; ++row)
    if (ListCellText(rows, row, 2) == L"OK") ++checked;
  std::printf("check_rows_ok_in_5s=%d\ncheck_longest_event_ms=%.1f\n", checked, longest * 1000);
  std::fflush(stdout);
  TerminateProcess(GetCurrentProcess(), 0);
  return 0;
}

// `folder` dropped on a fresh window until all `expected` files are listed,
// with the memory those rows take; then Copy, Save MD5 and Clear list on them.
int DropFolder(const std::wstring& folder, int expected, const std::wstring& save_to) {
  if (!StartUp()) return 1;
  ServeQueue();
  const Memory before = MemoryNow();
  Probe probe(WindowHandle(kMainWindow));
  const LARGE_INTEGER start = Now();
  if (!DropFiles(WindowHandle(kMainWindow), {folder})) return 1;
  while (CountListRows(kFileListGadget) < expected) ServeNextEvent(5);
  UpdateWindow(GadgetHandle(kFileListGadget));
  const LARGE_INTEGER listed = Now();
  const double longest_wait = probe.Stop();
  const int rows = CountListRows(kFileListGadget);
  const Memory after = MemoryNow();
  std::printf("drop_rows=%d\ndrop_seconds=%.3f\ndrop_longest_wait_ms=%.1f\n", rows, Seconds(start, listed),
              longest_wait);
  std::printf("private_mb_before=%.1f\nprivate_mb_after=%.1f\n", before.private_mb, after.private_mb);
  std::printf("working_set_mb_before=%.1f\nworking_set_mb_after=%.1f\n", before.working_set_mb, after.working_set_mb);
  std::fflush(stdout);

  // Copy and Save MD5 take ticked rows that have a digest: give each row one.
  for (FileRowCopy row; NextRow(TheFileRows(), row.id, &row);) SetRowHash(TheFileRows(), row.id, L"0123456789abcdef0123456789abcdef");
  std::printf("private_mb_hashed=%.1f\n", MemoryNow().private_mb);
  EmptyClipboardNow();
  TimeCommand("copy", kMenuCopy, [] { return IsClipboardFormatAvailable(CF_UNICODETEXT) != FALSE; });
  // Save MD5 holds the window for taking the rows before its requester; the
  // list is made and written by a worker after it (the requester serves the
  // window meanwhile).
  {
    Probe probe(WindowHandle(kMainWindow));
    const LARGE_INTEGER start = Now();
    const std::wstring path = WithMd5Extension(save_to);
    DeleteFileW(path.c_str());
    QueueSave(TakeListSnapshot(TheFileRows()), path);
    // The rows and the save's snapshot, then the most while it is written
    // (sampled between events).
    const double queued_mb = MemoryNow().private_mb;
    double peak_mb = queued_mb;
    while (SavesUnderWay()) {
      ServeNextEvent(5);
      peak_mb = std::max(peak_mb, MemoryNow().private_mb);
    }
    const bool saved = GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    std::printf("save_seconds=%.3f\nsave_longest_wait_ms=%.1f\nsave_written=%d\n", Seconds(start, Now()), probe.Stop(),
                saved ? 1 : 0);
    std::printf("private_mb_save_queued=%.1f\nprivate_mb_save_peak=%.1f\n", queued_mb, peak_mb);
    std::fflush(stdout);
  }
  std::printf("private_mb_after_copy_save=%.1f\n", MemoryNow().private_mb);
  // Clear list while a save of the rows is pending (the tests' hook holds its
  // write): the store goes back once the save has made the names its own, a
  // moment after it was queued; the save keeps only its snapshot.
  {
    const std::wstring held = WithMd5Extension(save_to);
    std::mutex lock;
    std::condition_variable released;
    bool release = false;
    os::SetAccessHook([&](const std::wstring& path) {
      std::unique_lock<std::mutex> hold(lock);
      if (path == held) released.wait(hold, [&] { return release; });
    });
    QueueSave(TakeListSnapshot(TheFileRows()), held);
    TimeCommand("clear", kMenuClearList, [] { return CountListRows(kFileListGadget) == 0; });
    for (const LARGE_INTEGER cleared = Now(); Seconds(cleared, Now()) < 0.5;) ServeNextEvent(5);
    std::printf("save_pending_at_clear=%d\nprivate_mb_after_clear_save_pending=%.1f\n", SavesUnderWay() ? 1 : 0,
                MemoryNow().private_mb);
    {
      std::lock_guard<std::mutex> hold(lock);
      release = true;
    }
    released.notify_all();
    while (SavesUnderWay()) ServeNextEvent(5);
    os::SetAccessHook(nullptr);
  }
  ServeQueue();
  std::printf("private_mb_after_clear=%.1f\n", MemoryNow().private_mb);
  // What stays is Copy's text, held for the clipboard until it is emptied.
  EmptyClipboardNow();
  ServeQueue();
  std::printf("private_mb_after_clear_and_clipboard=%.1f\n", MemoryNow().private_mb);
  std::fflush(stdout);
  TerminateProcess(GetCurrentProcess(), 0);
  return 0;
}

// Add File's requester opened from a fresh main window and cancelled as soon
// as it is shown: the seconds until it is shown, and the longest wait from
// the command until the requester has gone.
int OpenRequester() {
  if (!StartUp()) return 1;
  ServeQueue();
  Probe probe(WindowHandle(kMainWindow));
  const LARGE_INTEGER start = Now();
  LARGE_INTEGER shown = start;
  std::thread answering([&shown] {
    HWND dialog = FindDialog(L"Open");
    shown = Now();
    if (dialog) PressUntilGone(dialog, IDCANCEL);
  });
  PostMessageW(WindowHandle(kMainWindow), WM_COMMAND, MAKEWPARAM(kMenuAddFile, 0), 0);
  while (!(ServeNextEvent(5) == kEventMenu && TheProgram().event.menu == kMenuAddFile)) {
  }
  answering.join();
  std::printf("requester_shown_seconds=%.3f\nrequester_longest_wait_ms=%.1f\n", Seconds(start, shown), probe.Stop());
  std::fflush(stdout);
  TerminateProcess(GetCurrentProcess(), 0);
  return 0;
}

// Files below `folder`, depth first, one listing after another, as the
// program lists a folder.
std::size_t CountFilesBelow(const std::wstring& folder) {
  std::size_t files = 0;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                 FIND_FIRST_EX_LARGE_FETCH);
  if (find == INVALID_HANDLE_VALUE) return 0;
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      files += CountFilesBelow(folder + L"\\" + name);
    else
      ++files;
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return files;
}

int SerialWalk(const std::wstring& folder) {
  const LARGE_INTEGER start = Now();
  const std::size_t files = CountFilesBelow(folder);
  std::printf("walk_files=%zu\nwalk_seconds=%.3f\n", files, Seconds(start, Now()));
  return 0;
}

// The sizes of the list's files asked for one after another (reading the
// list is not timed).
int SerialLookups(const std::wstring& list) {
  std::string bytes;
  if (!os::ReadWholeFile(list, &bytes)) return 1;
  const std::wstring folder = list.substr(0, list.find_last_of(L"\\/") + 1);
  const std::vector<ChecksumLine> lines = ParseChecksumList(bytes);
  std::size_t found = 0;
  const LARGE_INTEGER start = Now();
  for (const ChecksumLine& line : lines) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (GetFileAttributesExW((folder + line.name).c_str(), GetFileExInfoStandard, &data)) ++found;
  }
  std::printf("lookups=%zu\nlookups_found=%zu\nlookups_seconds=%.3f\n", lines.size(), found, Seconds(start, Now()));
  return 0;
}

// One calculation run over `file`, dropped alone on a fresh window: from
// Start until the window is idle again.
int RunOneFile(const std::wstring& file) {
  if (!StartUp()) return 1;
  if (!DropFiles(WindowHandle(kMainWindow), {file})) return 1;
  ServeQueue();
  const LARGE_INTEGER start = Now();
  PostMessageW(WindowHandle(kMainWindow), WM_COMMAND, MAKEWPARAM(kMenuStart, 0), 0);
  ServeNextEvent(kWaitForever);
  while (!IsIdle()) ServeNextEvent(5);
  const LARGE_INTEGER hashed = Now();
  std::printf("run_seconds=%.3f\nrun_digest=%ls\nrun_md5_path=%s\n", Seconds(start, hashed),
              GetListCellText(kFileListGadget, 0, 2).c_str(), Md5PathName(Md5FastestPath()));
  std::fflush(stdout);
  TerminateProcess(GetCurrentProcess(), 0);
  return 0;
}

}  // namespace

// Each way of pausing this system offers, from the best down, 1,000 pauses.
int TimePauses() {
  const os::PauseSystem& system = os::SystemPause();
  const os::PauseSystem offers[] = {system, {nullptr, system.begin_period, system.end_period}, {}};
  const char* const names[] = {"high_resolution_timer", "raised_resolution", "sleep"};
  bool timed[3] = {};
  for (const os::PauseSystem& offer : offers) {
    os::Pause pause;
    os::PauseTestAccess::Choose(pause, offer);
    const auto kind = static_cast<std::size_t>(pause.Kind());
    if (timed[kind]) continue;
    timed[kind] = true;
    std::vector<double> lasted;
    for (int n = 0; n < 1000; ++n) {
      const LARGE_INTEGER start = Now();
      pause.OneMillisecond();
      lasted.push_back(Seconds(start, Now()) * 1e6);
    }
    std::sort(lasted.begin(), lasted.end());
    std::printf("pause_%s_median_us=%.0f\npause_%s_p99_us=%.0f\n", names[kind], lasted[499], names[kind], lasted[989]);
  }
  return 0;
}

int wmain(int argc, wchar_t** argv) {
  if (argc == 2 && std::wstring(argv[1]) == L"--pauses") return TimePauses();
  if (argc == 3 && std::wstring(argv[1]) == L"--bare") return BareListView(_wtoi(argv[2]));
  if (argc == 4 && std::wstring(argv[1]) == L"--list") return OpenVerifierList(argv[2], _wtoi(argv[3]), false);
  if (argc == 4 && std::wstring(argv[1]) == L"--list-close") return OpenVerifierList(argv[2], _wtoi(argv[3]), true);
  if (argc == 3 && std::wstring(argv[1]) == L"--run") return RunOneFile(argv[2]);
  if (argc == 2 && std::wstring(argv[1]) == L"--requester") return OpenRequester();
  if (argc == 3 && std::wstring(argv[1]) == L"--walk") return SerialWalk(argv[2]);
  if (argc == 3 && std::wstring(argv[1]) == L"--lookups") return SerialLookups(argv[2]);
  if (argc == 5 && std::wstring(argv[1]) == L"--drop") return DropFolder(argv[2], _wtoi(argv[3]), argv[4]);
  std::fprintf(stderr,
               "usage: gui_bench --drop <folder> <files> <save to> | --list[-close] <checksum list> <rows> | --run <file> | "
               "--bare <rows> | --walk <folder> | --lookups <checksum list> | --requester | --pauses\n");
  return 2;
}
