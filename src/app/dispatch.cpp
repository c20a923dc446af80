#include "app/dispatch.h"

#include "app/calculation_run.h"
#include "app/file_list.h"
#include "app/main_window.h"
#include "app/program.h"
#include "app/save_checksum_list.h"
#include "windows/about_window.h"
#include "windows/file_verifier_window.h"
#include "windows/md5_file_verifier_window.h"
#include "windows/options_window.h"
#include "windows/text_digest_window.h"

namespace {

// Window, event kind, gadget or menu number, control event type: action.
// Every event that matches no row is ignored.
const DispatchRow kMainWindowRows[] = {
    {kMainWindow, kEventClose, kAnyNumber, kAnyType, RequestQuit},
    {kMainWindow, kEventControl, kFileListGadget, kEventTypeRightClick, ShowListPopupMenu},
    {kMainWindow, kEventDrop, kAnyNumber, kAnyType, nullptr, AddDroppedPathsOfEvent},
    {kMainWindow, kEventSize, kAnyNumber, kAnyType, LayOutMainWindow},
    {kMainWindow, kEventMenu, kMenuAddFile, kAnyType, AddFilesOfRequester},
    {kMainWindow, kEventMenu, kMenuStart, kAnyType, StartCalculationRun},
    {kMainWindow, kEventMenu, kMenuStop, kAnyType, StopCalculation},
    {kMainWindow, kEventMenu, kMenuOptions, kAnyType, OpenOptions},
    {kMainWindow, kEventMenu, kMenuSaveMd5, kAnyType, SaveChecksumList},
    {kMainWindow, kEventMenu, kMenuExit, kAnyType, RequestQuit},
    {kMainWindow, kEventMenu, kMenuCopy, kAnyType, CopyTickedRows},
    {kMainWindow, kEventMenu, kMenuDelete, kAnyType, DeleteSelectedRow},
    {kMainWindow, kEventMenu, kMenuClearList, kAnyType, ClearFileList},
    {kMainWindow, kEventMenu, kMenuVerifyMd5File, kAnyType, OpenMd5FileVerifier},
    {kMainWindow, kEventMenu, kMenuVerifyFile, kAnyType, OpenEmptyFileVerifier},
    {kMainWindow, kEventMenu, kMenuTextToMd5, kAnyType, OpenTextDigest},
    {kMainWindow, kEventMenu, kMenuAbout, kAnyType, OpenAbout},
};

template <typename Rows>
const DispatchRow* FindIn(const Rows& rows, const Event& event) {
  for (const DispatchRow& row : rows)
    if (RowMatches(row, event)) return &row;
  return nullptr;
}

}  // namespace

const DispatchRow* FindDispatchRow(const Event& event) {
  if (const DispatchRow* row = FindIn(kMainWindowRows, event)) return row;
  for (const std::vector<DispatchRow>* rows :
       {&OptionsWindowRows(), &Md5FileVerifierWindowRows(), &FileVerifierWindowRows(), &AboutWindowRows(),
        &TextDigestWindowRows()})
    if (const DispatchRow* row = FindIn(*rows, event)) return row;
  return nullptr;
}

bool DispatchEvent(const Event& event) {
  const DispatchRow* row = FindDispatchRow(event);
  if (!row) return false;
  RunRow(*row, event);
  return true;
}

void RequestQuit() { ++TheProgram().quit; }

void AddDroppedPathsOfEvent(const Event& event) {
  AddDroppedPaths(event.paths, TheProgram().settings.auto_check != 0);
}

void AddFilesOfRequester() { AddFilesByRequester(TheProgram().settings.auto_check != 0); }

void StartCalculationRun() { StartCalculation(TheProgram().settings.thread_higher != 0); }

void OpenOptions() { OpenOptionsWindow(ToolContext()); }

void OpenMd5FileVerifier() { VerifyMd5File(ToolContext()); }

void OpenEmptyFileVerifier() { OpenFileVerifierWindow(ToolContext(), L""); }

void OpenTextDigest() { OpenTextDigestWindow(ToolContext()); }

void OpenAbout() { OpenAboutWindow(ToolContext()); }
