// Benchmarks of the real main window (no timed assertions; scripts/bench-gui.sh
// runs it under Wine): a folder tree dropped on the window until every row is
// listed, with the process's memory for those rows. With --run, one large
// file hashed by the calculation run from Start until the window is idle again.
//
// With --bare, the platform's list view alone filled with as many rows, to
// tell the control's own cost from the program's. With --list, the MD5 file
// verifier opened on a checksum list until every entry is listed, then its
// check running for a few seconds while the window keeps serving.
//
//   gui_bench.exe <folder to drop>
//   gui_bench.exe --run <file to hash>
//   gui_bench.exe --bare <rows>
//   gui_bench.exe --list <checksum list file>
#include <windows.h>

#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "app/file_list.h"
#include "app/main_window.h"
#include "app/program.h"
#include "engine/md5_digest.h"
#include "formats/checksum_list_reader.h"
#include "ui/events.h"
#include "ui/gadget.h"
#include "ui/list.h"
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
// every row and has drawn them; then its check, pressed and served for 5 s,
// with the longest the window thread spent on one event meanwhile.
int OpenVerifierList(const std::wstring& list) {
  if (!StartUp()) return 1;
  ServeQueue();
  const Memory before = MemoryNow();
  const LARGE_INTEGER start = Now();
  OpenMd5FileVerifierWindow(ToolContext(), list);
  HWND rows = FindWindowExW(WindowHandle(kVerifierWindow), nullptr, WC_LISTVIEWW, nullptr);
  UpdateWindow(rows);
  const LARGE_INTEGER listed = Now();
  const int count = static_cast<int>(SendMessageW(rows, LVM_GETITEMCOUNT, 0, 0));
  std::printf("verifier_rows=%d\nverifier_open_seconds=%.3f\nverifier_private_mb=%.1f\n", count,
              Seconds(start, listed), MemoryNow().private_mb - before.private_mb);
  const LARGE_INTEGER read_start = Now();
  const std::size_t entries = ReadChecksumList(list).size();
  std::printf("list_read_entries=%zu\nlist_read_seconds=%.3f\n", entries, Seconds(read_start, Now()));
  std::fflush(stdout);

  HWND check = FindWindowExW(WindowHandle(kVerifierWindow), nullptr, L"Button", L"Check");
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

int wmain(int argc, wchar_t** argv) {
  if (argc == 3 && std::wstring(argv[1]) == L"--bare") return BareListView(_wtoi(argv[2]));
  if (argc == 3 && std::wstring(argv[1]) == L"--list") return OpenVerifierList(argv[2]);
  if (argc == 3 && std::wstring(argv[1]) == L"--run") return RunOneFile(argv[2]);
  if (argc != 2) {
    std::fprintf(stderr,
                 "usage: gui_bench <folder to drop> | gui_bench --run <file to hash> | gui_bench --bare <rows> | "
                 "gui_bench --list <checksum list>\n");
    return 2;
  }
  if (!StartUp()) return 1;
  ServeQueue();
  const Memory before = MemoryNow();

  // The drop: from the drop itself until the list shows every row, drawn.
  LARGE_INTEGER start = Now();
  if (!DropFiles(WindowHandle(kMainWindow), {argv[1]})) return 1;
  while (ServeNextEvent(kWaitForever) != kEventDrop) {
  }
  UpdateWindow(GadgetHandle(kFileListGadget));
  LARGE_INTEGER listed = Now();
  const int rows = CountListRows(kFileListGadget);
  const Memory after = MemoryNow();
  std::printf("drop_rows=%d\ndrop_seconds=%.3f\n", rows, Seconds(start, listed));
  std::printf("private_mb_before=%.1f\nprivate_mb_after=%.1f\n", before.private_mb, after.private_mb);
  std::printf("working_set_mb_before=%.1f\nworking_set_mb_after=%.1f\n", before.working_set_mb, after.working_set_mb);
  std::fflush(stdout);
  TerminateProcess(GetCurrentProcess(), 0);
  return 0;
}
