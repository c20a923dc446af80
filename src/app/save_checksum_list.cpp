#include "app/save_checksum_list.h"

#include <memory>
#include <new>

#include "app/file_list.h"
#include "app/main_window.h"
#include "formats/checksum_list.h"
#include "ui/requester.h"
#include "ui/window.h"
#include "windows/window_worker.h"

namespace {

// Saves are written one after another, off the window thread: of two saves
// to one file the later's stays.
const std::shared_ptr<JobQueue>& TheSaves() {
  static const std::shared_ptr<JobQueue> saves = std::make_shared<JobQueue>();
  return saves;
}

void ReportFailedSave() {
  CallOnWindowThread(kMainWindow, [] { MessageRequester(L"Error", L"Could not save the checksum list."); });
}

}  // namespace

void SaveChecksumList() {
  // The rows as they stand when the command is chosen, before the requester.
  std::shared_ptr<ChecksumListRows> rows;
  try {
    rows = std::make_shared<ChecksumListRows>(TakeChecksumListRows(TheFileRows()));
  } catch (const std::bad_alloc&) {
    rows.reset();
  }
  const std::wstring chosen = SaveFileRequester(L"Save", L"", L"MD5 File|*.md5");
  if (chosen.empty()) return;
  if (!rows) {
    MessageRequester(L"Error", L"Could not save the checksum list.");
    return;
  }
  QueueSave(rows, WithMd5Extension(chosen));
}

void QueueSave(std::shared_ptr<const ChecksumListRows> rows, std::wstring path) {
  // The text of a million rows is made and written by a worker while the
  // window answers. A failed save must not look like success; the old file
  // stays as it was.
  QueueJob(TheSaves(), [rows = std::move(rows), path = std::move(path)] {
    bool saved = false;
    try {
      saved = WriteChecksumListText(path, ChecksumListTextOf(*rows));
    } catch (const std::bad_alloc&) {
    }
    if (!saved) ReportFailedSave();
  });
}

bool SavesUnderWay() { return JobsUnderWay(*TheSaves()); }

void FinishSaves() { WaitForJobs(*TheSaves()); }
