#include "program_test_support.h"

#include "app/calculation_run.h"
#include "app/file_list.h"
#include "app/main_window.h"
#include "app/program.h"
#include "ui/events.h"
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
