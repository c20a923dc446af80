#include "app/save_checksum_list.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <new>

#include "app/file_list.h"
#include "app/main_window.h"
#include "app/program.h"
#include "formats/checksum_list.h"
#include "os/thread.h"
#include "ui/requester.h"
#include "ui/session.h"
#include "ui/window.h"
#include "windows/window_worker.h"

namespace {

// Saves are written one after another, off the window thread: of two saves
// to one file the later's stays.
const std::shared_ptr<JobQueue>& TheSaves() {
  static const std::shared_ptr<JobQueue> saves = std::make_shared<JobQueue>();
  return saves;
}

// Saves queued and not yet written or failed: raised on the window thread,
// lowered by the save's worker as its last step. While there are any, Windows
// is asked to hold off the end of the session.
std::atomic<std::int32_t> g_saves_pending{0};

// A failed save calls off a quit that waits for it: the user may save again.
void ReportFailedSave() {
  CallOnWindowThread(kMainWindow, [] {
    TheProgram().quit = 0;
    MessageRequester(L"Error", L"Could not save the checksum list.", kMainWindow);
  });
}

// The reason is taken back on the window thread, unless another save came.
void SaveEnded() {
  if (--g_saves_pending == 0)
    CallOnWindowThread(kMainWindow, [] {
      if (g_saves_pending.load() == 0) AllowSessionEnd(kMainWindow);
    });
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

namespace {

// A save's snapshot: its names made its own once, by whichever comes first,
// the thread started for that at once or the save's worker, which reads the
// rows only after that.
struct SaveSnapshot {
  std::mutex lock;
  std::shared_ptr<ChecksumListRows> rows;  // changed only under lock, before `owned`
  bool owned = false;                      // under lock
};

void OwnNames(SaveSnapshot& snapshot) {
  std::lock_guard<std::mutex> hold(snapshot.lock);
  if (snapshot.owned) return;
  snapshot.owned = true;
  OwnListedNames(*snapshot.rows);
}

}  // namespace

void QueueSave(std::shared_ptr<ChecksumListRows> rows, std::wstring path) {
  // The text of a million rows is made and written by a worker while the
  // window answers. A failed save must not look like success; the old file
  // stays as it was.
  if (g_saves_pending++ == 0) BlockSessionEnd(kMainWindow, L"Saving the checksum list");
  auto snapshot = std::make_shared<SaveSnapshot>();
  snapshot->rows = std::move(rows);
  // Without a thread for it, the save's worker makes the names its own.
  os::StartThread([snapshot] { OwnNames(*snapshot); }, false);
  QueueJob(TheSaves(), [snapshot, path = std::move(path)] {
    OwnNames(*snapshot);
    const std::shared_ptr<const ChecksumListRows> rows = snapshot->rows;
    bool saved = false;
    try {
      std::size_t next = 0;
      saved = WriteChecksumListPieces(path, [&rows, &next](std::wstring* lines) {
        return AppendChecksumLines(*rows, &next, kChecksumPieceChars, lines);
      });
    } catch (const std::bad_alloc&) {
    }
    if (!saved) ReportFailedSave();
    SaveEnded();
  });
}

bool SessionMayEnd() { return g_saves_pending.load() == 0; }

void EndSessionAfterSaves() {
  WaitForJobsFor(*TheSaves(), kSessionEndWaitMilliseconds);
}

bool SavesUnderWay() { return JobsUnderWay(*TheSaves()); }

void FinishSaves() { WaitForJobs(*TheSaves()); }
