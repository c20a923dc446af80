#include "app/dispatch.h"

#include "app/calculation_run.h"
#include "app/file_list.h"
#include "app/main_window.h"
#include "app/save_checksum_list.h"
#include "ui/events.h"
#include "windows/about_window.h"
#include "windows/file_verifier_window.h"
#include "windows/md5_file_verifier_window.h"
#include "windows/options_window.h"
#include "windows/text_digest_window.h"

namespace {

// Window, event kind, gadget or menu number, control event type: action.
// Every event that matches no row is ignored.
const DispatchRow kDispatchTable[] = {
    {0, kEventClose, kAnyNumber, kAnyType, RequestQuit},
    {0, kEventControl, kFileListGadget, kEventTypeRightClick, ShowListPopupMenu},
    {0, kEventDrop, kAnyNumber, kAnyType, AddDroppedPathsOfEvent},
    {0, kEventSize, kAnyNumber, kAnyType, LayOutMainWindow},
    {0, kEventMenu, kMenuAddFile, kAnyType, AddFilesByRequester},
    {0, kEventMenu, kMenuStart, kAnyType, StartCalculation},
    {0, kEventMenu, kMenuStop, kAnyType, StopCalculation},
    {0, kEventMenu, kMenuOptions, kAnyType, OpenOptionsWindow},
    {0, kEventMenu, kMenuSaveMd5, kAnyType, SaveChecksumList},
    {0, kEventMenu, kMenuExit, kAnyType, RequestQuit},
    {0, kEventMenu, kMenuCopy, kAnyType, CopyTickedRows},
    {0, kEventMenu, kMenuDelete, kAnyType, DeleteSelectedRow},
    {0, kEventMenu, kMenuClearList, kAnyType, ClearFileList},
    {0, kEventMenu, kMenuVerifyMd5File, kAnyType, VerifyMd5File},
    {0, kEventMenu, kMenuVerifyFile, kAnyType, OpenEmptyFileVerifierWindow},
    {0, kEventMenu, kMenuTextToMd5, kAnyType, OpenTextDigestWindow},
    {0, kEventMenu, kMenuAbout, kAnyType, OpenAboutWindow},
    {1, kEventControl, 1, kAnyType, OnOptionsWindowEvent},   // OK
    {1, kEventControl, 2, kAnyType, OnOptionsWindowEvent},   // Cancel
    {2, kEventClose, kAnyNumber, kAnyType, CloseMd5FileVerifierWindow},
    {2, kEventControl, 9, kAnyType, StartVerifyListCheck},  // Check
    {3, kEventClose, kAnyNumber, kAnyType, CloseFileVerifierWindow},
    {3, kEventControl, 16, kAnyType, PasteChecksum},        // paste
    {3, kEventControl, 13, kAnyType, ChooseFileToVerify},   // ...
    {3, kEventControl, 15, kEventTypeChange, UpdateFileVerifierCheckButton},
    {3, kEventControl, 19, kAnyType, StartSingleFileCheck},  // Check
    {4, kEventControl, 103, kAnyType, OnAboutWindowEvent},   // link
    {4, kEventControl, 106, kAnyType, OnAboutWindowEvent},   // OK
    {5, kEventClose, kAnyNumber, kAnyType, CloseTextDigestWindow},
    {5, kEventControl, 24, kAnyType, CalculateTextDigest},  // Calculate
    {5, kEventControl, 25, kAnyType, PasteTextToDigest},    // Paste
    {5, kEventControl, 23, kAnyType, CopyTextDigest},       // copy
};

bool Matches(const DispatchRow& row, const CurrentEvent& event) {
  if (row.window != event.window || row.kind != event.kind) return false;
  std::int32_t number = event.kind == kEventMenu ? event.menu : event.gadget;
  if (row.number != kAnyNumber && row.number != number) return false;
  return row.type == kAnyType || row.type == event.type;
}

}  // namespace

const DispatchRow* FindDispatchRow(const CurrentEvent& event) {
  for (const DispatchRow& row : kDispatchTable)
    if (Matches(row, event)) return &row;
  return nullptr;
}

bool DispatchEvent(const CurrentEvent& event) {
  const DispatchRow* row = FindDispatchRow(event);
  if (!row) return false;
  row->action();
  return true;
}

void RequestQuit() { TheProgram().quit = 1; }

void AddDroppedPathsOfEvent() { AddDroppedPaths(EventDropText()); }

void OpenEmptyFileVerifierWindow() { OpenFileVerifierWindow(L""); }
