// The dispatch table: which handler each event reaches, and which events none.
#include <gtest/gtest.h>

#include "app/calculation_run.h"
#include "app/dispatch.h"
#include "app/file_list.h"
#include "app/main_window.h"
#include "app/program.h"
#include "app/save_checksum_list.h"
#include "ui/events.h"
#include "windows/about_window.h"
#include "windows/file_verifier_window.h"
#include "windows/md5_file_verifier_window.h"
#include "windows/options_window.h"
#include "windows/text_digest_window.h"

namespace {

TEST(DispatchTable, EveryRowReachesItsHandlerAndOtherEventsAreIgnored) {
  struct Case {
    Event event;
    Action action;
    EventAction event_action;
  };
  const Case cases[] = {
      {{kEventClose, 0, 0, -1, -1, {}}, RequestQuit, nullptr},
      {{kEventControl, 0, kEventTypeRightClick, 0, -1, {}}, ShowListPopupMenu, nullptr},
      {{kEventDrop, 0, 0, -1, -1, {}}, nullptr, AddDroppedPathsOfEvent},
      {{kEventSize, 0, 0, -1, -1, {}}, LayOutMainWindow, nullptr},
      {{kEventMenu, 0, 0, -1, 0, {}}, AddFilesOfRequester, nullptr},
      {{kEventMenu, 0, 0, -1, 1, {}}, StartCalculationRun, nullptr},
      {{kEventMenu, 0, 0, -1, 2, {}}, StopCalculation, nullptr},
      {{kEventMenu, 0, 0, -1, 3, {}}, OpenOptions, nullptr},
      {{kEventMenu, 0, 0, -1, 4, {}}, SaveChecksumList, nullptr},
      {{kEventMenu, 0, 0, -1, 5, {}}, RequestQuit, nullptr},
      {{kEventMenu, 0, 0, -1, 6, {}}, CopyTickedRows, nullptr},
      {{kEventMenu, 0, 0, -1, 7, {}}, DeleteSelectedRow, nullptr},
      {{kEventMenu, 0, 0, -1, 8, {}}, ClearFileList, nullptr},
      {{kEventMenu, 0, 0, -1, 9, {}}, OpenMd5FileVerifier, nullptr},
      {{kEventMenu, 0, 0, -1, 10, {}}, OpenEmptyFileVerifier, nullptr},
      {{kEventMenu, 0, 0, -1, 11, {}}, OpenTextDigest, nullptr},
      {{kEventMenu, 0, 0, -1, 99, {}}, OpenAbout, nullptr},
      {{kEventControl, 1, 0, 1, -1, {}}, nullptr, OnOptionsWindowEvent},
      {{kEventControl, 1, 0, 2, -1, {}}, nullptr, OnOptionsWindowEvent},
      {{kEventClose, 2, 0, -1, -1, {}}, CloseMd5FileVerifierWindow, nullptr},
      {{kEventControl, 2, 0, 9, -1, {}}, StartVerifyListCheck, nullptr},
      {{kEventClose, 3, 0, -1, -1, {}}, CloseFileVerifierWindow, nullptr},
      {{kEventControl, 3, 0, 16, -1, {}}, PasteChecksum, nullptr},
      {{kEventControl, 3, 0, 13, -1, {}}, ChooseFileToVerify, nullptr},
      {{kEventControl, 3, kEventTypeChange, 15, -1, {}}, UpdateFileVerifierCheckButton, nullptr},
      {{kEventControl, 3, 0, 19, -1, {}}, StartSingleFileCheck, nullptr},
      {{kEventControl, 4, 0, 103, -1, {}}, nullptr, OnAboutWindowEvent},
      {{kEventControl, 4, 0, 106, -1, {}}, nullptr, OnAboutWindowEvent},
      {{kEventClose, 5, 0, -1, -1, {}}, CloseTextDigestWindow, nullptr},
      {{kEventControl, 5, 0, 24, -1, {}}, CalculateTextDigest, nullptr},
      {{kEventControl, 5, 0, 25, -1, {}}, PasteTextToDigest, nullptr},
      {{kEventControl, 5, 0, 23, -1, {}}, CopyTextDigest, nullptr},
  };
  for (const Case& each : cases) {
    const DispatchRow* row = FindDispatchRow(each.event);
    ASSERT_NE(row, nullptr) << "window " << each.event.window << " kind " << each.event.kind;
    EXPECT_EQ(row->action, each.action) << "window " << each.event.window << " kind " << each.event.kind
                                        << " gadget " << each.event.gadget << " menu " << each.event.menu;
    EXPECT_EQ(row->event_action, each.event_action) << "window " << each.event.window << " gadget "
                                                    << each.event.gadget;
  }
  const Event ignored[] = {
      {kEventControl, 0, kEventTypeClick, 0, -1, {}},   // a left click on the list
      {kEventClose, 1, 0, -1, -1, {}},                  // Options has no close box
      {kEventClose, 4, 0, -1, -1, {}},                  // nor has About
      {kEventControl, 1, 0, 3, -1, {}},                 // ticking a box changes nothing until OK
      {kEventControl, 3, kEventTypeClick, 15, -1, {}},  // only a change of the checksum field counts
      {kEventMenu, 0, 0, -1, 12, {}},
      {kEventDrop, 2, 0, -1, -1, {}},
  };
  for (const Event& event : ignored) EXPECT_EQ(FindDispatchRow(event), nullptr) << event.kind;
}

TEST(DispatchTable, CloseRequestAndExitSetTheQuitFlag) {
  TheProgram().quit = 0;
  EXPECT_TRUE(DispatchEvent({kEventClose, 0, 0, -1, -1, {}}));
  EXPECT_EQ(TheProgram().quit, 1);
  TheProgram().quit = 0;
  EXPECT_TRUE(DispatchEvent({kEventMenu, 0, 0, -1, kMenuExit, {}}));
  EXPECT_EQ(TheProgram().quit, 1);
  TheProgram().quit = 0;
}


}  // namespace
