#include "program_test_support.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "app/calculation_run.h"
#include "app/file_list.h"
#include "app/main_window.h"
#include "app/program.h"
#include "os/access_hook.h"
#include "ui/events.h"
#include "ui/gadget.h"
#include "ui/window.h"
#include "ui_test_support.h"
#include "windows/about_window.h"
#include "windows/file_verifier_window.h"
#include "windows/md5_file_verifier_window.h"
#include "windows/options_window.h"
#include "windows/text_digest_window.h"

namespace {

void CloseToolWindows() {
  for (std::int32_t window : {kOptionsWindow, kVerifierWindow, kFileVerifierWindow, kAboutWindow, kTextDigestWindow})
    CloseWindowNumber(window);
  EnableWindowNumber(kMainWindow, true);
}

}  // namespace

void ProgramTest::SetUpTestSuite() {
  if (!IsWindowOpen(kMainWindow)) {
    ASSERT_TRUE(StartUp());
  }
}

void ProgramTest::SetUp() {
  if (!IsWindowOpen(kMainWindow)) {
    ASSERT_TRUE(StartUp());
  }
  CloseToolWindows();
  StopCalculation();
  ClearFileList();
  TheProgram().settings = Settings{};
  TheProgram().quit = 0;
  SetForegroundWindow(WindowHandle(kMainWindow));
  ServeFor(50);
  DiscardEvents();
}

void ProgramTest::TearDown() {
  // Leave nothing running or open, even after a failure.
  StopCalculation();
  CloseToolWindows();
  ServeFor(50);
  DiscardEvents();
}

void Serve(std::int32_t ms) {
  const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(ms);
  for (ULONGLONG now = GetTickCount64(); now < deadline; now = GetTickCount64())
    ServeNextEvent(static_cast<std::int32_t>(deadline - now));
}

bool ServeUntilTrue(const std::function<bool()>& done, std::int32_t ms) {
  const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(ms);
  while (!done()) {
    if (GetTickCount64() >= deadline) return false;
    ServeNextEvent(10);
  }
  return true;
}

SlowShare::SlowShare(std::uint32_t ms) { os::SetAccessDelay(ms); }

SlowShare::~SlowShare() { os::SetAccessDelay(0); }

// Shared with the hook, which an ended walk's last request may still run.
struct StoreGate::Shared {
  std::mutex lock;
  std::condition_variable opened;
  bool open = false;
  int requests = 0;
};

StoreGate::StoreGate(std::wstring prefix, std::wstring after) : shared_(std::make_shared<Shared>()) {
  os::SetAccessHook([shared = shared_, prefix = std::move(prefix), after = std::move(after)](const std::wstring& path) {
    std::unique_lock<std::mutex> hold(shared->lock);
    if (path == after) {
      // Bounded: only a program that never makes the held request waits this long.
      shared->opened.wait_for(hold, std::chrono::seconds(20), [&shared] { return shared->requests > 0; });
      return;
    }
    if (path.compare(0, prefix.size(), prefix) != 0) return;
    ++shared->requests;
    shared->opened.notify_all();
    shared->opened.wait(hold, [&shared] { return shared->open; });
  });
}

StoreGate::~StoreGate() {
  Open();
  os::SetAccessHook(nullptr);
}

void StoreGate::Open() {
  std::lock_guard<std::mutex> hold(shared_->lock);
  shared_->open = true;
  shared_->opened.notify_all();
}

int StoreGate::Requests() const {
  std::lock_guard<std::mutex> hold(shared_->lock);
  return shared_->requests;
}

bool ServeUntilListRead(std::int32_t ms) {
  return ServeUntilTrue(
      [] { return !IsWindowOpen(kVerifierWindow) || IsWindowEnabled(GadgetHandle(kVerifierCheckButton)); }, ms);
}

RECT PopUpMenuShownBy(const std::function<void()>& open) {
  RECT shown{};
  bool found = false;
  std::thread watching([&] {
    for (int i = 0; i < 200 && !found; ++i) {
      HWND menu = FindWindowW(L"#32768", nullptr);
      if (menu && IsWindowVisible(menu)) {
        found = true;
        GetWindowRect(menu, &shown);
        Sleep(100);
        PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 1);
        PostMessageW(WindowHandle(kMainWindow), WM_CANCELMODE, 0, 0);
      }
      Sleep(25);
    }
  });
  open();
  watching.join();
  return shown;
}

namespace {

std::wstring ThisExecutable() {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

bool StartChild(const std::wstring& exe, const std::wstring& arguments, ProgramRun* run) {
  std::wstring command = L"\"" + exe + L"\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  return CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &run->process) != FALSE;
}

}  // namespace

bool StartDisabledTest(const std::wstring& test, ProgramRun* run) {
  return StartChild(ThisExecutable(), L"--gtest_also_run_disabled_tests --gtest_filter=" + test, run);
}

bool StartProgram(ProgramRun* run) {
  std::wstring exe = ThisExecutable();
  exe = exe.substr(0, exe.find_last_of(L"\\/")) + L"\\..\\src\\Sumwick.exe";
  if (!StartChild(exe, L"", run)) return false;
  for (int i = 0; i < 300 && !run->window; ++i) {
    Sleep(100);
    HWND found = FindWindowW(nullptr, L"Sumwick 0.5 Build 284");
    DWORD owner_process = 0;
    if (found) GetWindowThreadProcessId(found, &owner_process);
    if (owner_process == run->process.dwProcessId) run->window = found;
  }
  return run->window != nullptr;
}

DWORD WaitForExit(ProgramRun& run, DWORD ms) {
  DWORD code = 259;
  if (WaitForSingleObject(run.process.hProcess, ms) == WAIT_OBJECT_0) GetExitCodeProcess(run.process.hProcess, &code);
  else TerminateProcess(run.process.hProcess, 99);
  CloseHandle(run.process.hThread);
  CloseHandle(run.process.hProcess);
  return code;
}
