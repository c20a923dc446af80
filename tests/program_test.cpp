// The real program as a process: it ends with exit code 0 through the close
// box or Exit, at once while workers run, and reads its settings first.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <string>

#include "app/main_window.h"
#include "app/program.h"
#include "formats/settings.h"
#include "program_test_support.h"
#include "test_files.h"
#include "ui/bars.h"
#include "ui/window.h"
#include "windows/window_worker.h"

namespace {

// Looked at in a program of its own: the fixture of the in-process tests shows
// every window idle before each test, whatever start-up left.
TEST(Program, StartsWithStopDisabledAndTheCloseBoxEndsItWithExitCodeZero) {
  ProgramRun run;
  ASSERT_TRUE(StartProgram(&run));
  WaitForInputIdle(run.process.hProcess, 10000);  // built, and serving events
  HWND toolbar = FindWindowExW(run.window, nullptr, TOOLBARCLASSNAMEW, nullptr);
  EXPECT_TRUE(SendMessageW(toolbar, TB_ISBUTTONENABLED, kMenuStart, 0));
  EXPECT_FALSE(SendMessageW(toolbar, TB_ISBUTTONENABLED, kMenuStop, 0)) << "nothing to stop before a run";
  PostMessageW(run.window, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForExit(run), 0u);
}

// Started by QuitEndsAtOnceWhileWorkersRun in a process of its own: the main
// window as built, two busy workers writing to it, then the close box.
TEST(ProgramChild, DISABLED_QuitsWhileWorkersRun) {
  ASSERT_TRUE(StartUp());
  for (int worker = 0; worker < 2; ++worker) {
    ASSERT_TRUE(StartWindowWorker(
        [] {
          for (std::uint64_t n = 0;; ++n) {
            SetStatusText(kMainWindow, kStateField, L"busy " + std::to_wstring(n));
            SetStatusProgress(kMainWindow, static_cast<std::int32_t>(n % 101));
            Sleep(1);
          }
        },
        false));
  }
  Sleep(300);
  PostMessageW(WindowHandle(kMainWindow), WM_CLOSE, 0, 0);
  RunEventLoop();
}

TEST(Program, QuitEndsAtOnceWhileWorkersRun) {
  ProgramRun run;
  ASSERT_TRUE(StartDisabledTest(L"ProgramChild.DISABLED_QuitsWhileWorkersRun", &run));
  EXPECT_EQ(WaitForExit(run), 0u);
}

TEST(Program, ExitEndsTheProgramWithExitCodeZero) {
  ProgramRun run;
  ASSERT_TRUE(StartProgram(&run));
  PostMessageW(run.window, WM_COMMAND, MAKEWPARAM(kMenuExit, 0), 0);
  EXPECT_EQ(WaitForExit(run), 0u);
}

TEST(StartUpSettings, AreReadFromTheWorkingDirectoryBeforeTheWindowIsBuilt) {
  ScratchFolder scratch;
  std::wstring file = scratch.Write(L"placeholder", "");
  std::wstring folder = file.substr(0, file.find_last_of(L"\\/"));
  wchar_t before[MAX_PATH] = L"";
  GetCurrentDirectoryW(MAX_PATH, before);
  ASSERT_TRUE(SetCurrentDirectoryW(folder.c_str()));
  Settings stored;
  stored.thread_higher = 1;
  stored.auto_check = 0;
  bool saved = SaveSettings(stored);
  bool started = StartUp();
  Settings loaded = TheProgram().settings;
  DeleteFileW(L"settings.ini");
  SetCurrentDirectoryW(before);
  ASSERT_TRUE(saved);
  ASSERT_TRUE(started);
  EXPECT_EQ(loaded.thread_higher, 1);
  EXPECT_EQ(loaded.auto_check, 0);
  EXPECT_TRUE(IsWindowOpen(kMainWindow));
}


}  // namespace
