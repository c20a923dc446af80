// The fixture of every test that drives the real program in this process.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// Starts the program once per test process, and before every test brings it
// back to its state right after start-up: the main window open and enabled,
// no tool window, no run, an empty list, the default settings and no events
// waiting. So no test depends on what ran before it, or in which order.
struct ProgramTest : testing::Test {
  static void SetUpTestSuite();
  void SetUp() override;
  void TearDown() override;
};

// While it lives, every folder listing and size query of the program waits
// `ms` milliseconds first, as on a network share.
struct SlowShare {
  explicit SlowShare(std::uint32_t ms);
  ~SlowShare();
};

// While it lives, every folder listing and size query of the program for a
// path that begins with `prefix` waits until Open() (or the gate's end), as a
// share that has not answered yet; it counts them as they come. A request for
// `after` waits until the first held request has come: the thread that makes
// it does not get to make the held one itself.
class StoreGate {
 public:
  explicit StoreGate(std::wstring prefix, std::wstring after = L"");
  ~StoreGate();
  StoreGate(const StoreGate&) = delete;
  StoreGate& operator=(const StoreGate&) = delete;
  void Open();
  int Requests() const;

  struct Shared;

 private:
  std::shared_ptr<Shared> shared_;
};

// Serves and dispatches the program's events for `ms` milliseconds.
void Serve(std::int32_t ms);
// Serves and dispatches events until `done` holds; false after `ms` milliseconds.
bool ServeUntilTrue(const std::function<bool()>& done, std::int32_t ms = 20000);
// Serves events until the MD5 file verifier holds every row of its list
// (Check is enabled then), or is closed; false after `ms` milliseconds.
bool ServeUntilListRead(std::int32_t ms = 20000);
// The pop-up menu that `open` shows, closed again from another thread: where
// it was shown, or an empty rectangle when none came.
RECT PopUpMenuShownBy(const std::function<void()>& open);

// A child process of the tests: the real program, or this test executable
// running one of its disabled tests on its own.
struct ProgramRun {
  PROCESS_INFORMATION process{};
  HWND window = nullptr;  // the program's main window
};
bool StartDisabledTest(const std::wstring& test, ProgramRun* run);
// Starts Sumwick.exe from the build and waits for its main window.
bool StartProgram(ProgramRun* run);
// Its exit code; 259 when it has not ended within `ms` (it is ended then).
DWORD WaitForExit(ProgramRun& run, DWORD ms = 30000);
