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

// Window thread: says the save failed, over the main window, and calls off
// a quit that waits for it, so that the user may save again.
void ShowSaveFailed() {
  TheProgram().quit = 0;
  MessageRequester(L"Error", L"Could not save the checksum list.", kMainWindow);
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
  std::shared_ptr<ListSnapshot> snapshot = TakeListSnapshot(TheFileRows());
  const std::wstring chosen = SaveFileRequester(L"Save", L"", L"MD5 File|*.md5");
  if (chosen.empty()) return;
  if (!snapshot) {
    ShowSaveFailed();
    return;
  }
  QueueSave(std::move(snapshot), WithMd5Extension(chosen));
}

namespace {

// A save's snapshot: its names made its own once, by whichever comes first,
// the thread started for that at once or the save's worker, which reads the
// lines only after that.
struct SavedSnapshot {
  std::mutex lock;
  std::shared_ptr<ListSnapshot> snapshot;  // changed only under lock, before `owned`
  bool owned = false;                      // under lock
};

void OwnNames(SavedSnapshot& saved) {
  std::lock_guard<std::mutex> hold(saved.lock);
  if (saved.owned) return;
  saved.owned = true;
  OwnSnapshotNames(*saved.snapshot);
}

}  // namespace

void QueueSave(std::shared_ptr<ListSnapshot> snapshot, std::wstring path) {
  // The text of a million rows is made and written by a worker while the
  // window answers. A failed save must not look like success; the old file
  // stays as it was.
  if (g_saves_pending++ == 0) BlockSessionEnd(kMainWindow, L"Saving the checksum list");
  auto saved = std::make_shared<SavedSnapshot>();
  saved->snapshot = std::move(snapshot);
  // Without a thread for it, the save's worker makes the names its own.
  os::StartThread([saved] { OwnNames(*saved); }, false);
  QueueJob(TheSaves(), [saved, path = std::move(path)] {
    OwnNames(*saved);
    const std::shared_ptr<const ListSnapshot> snapshot = saved->snapshot;
    bool written = false;
    try {
      std::size_t next = 0;
      written = WriteChecksumListPieces(path, [&snapshot, &next](std::wstring* lines) {
        return AppendSnapshotLines(*snapshot, &next, kChecksumPieceChars, lines);
      });
    } catch (const std::bad_alloc&) {
    }
    if (!written) CallOnWindowThread(kMainWindow, ShowSaveFailed);
    SaveEnded();
  });
}

bool SessionMayEnd() { return g_saves_pending.load() == 0; }

void EndSessionAfterSaves() {
  WaitForJobsFor(*TheSaves(), kSessionEndWaitMilliseconds);
}

bool SavesUnderWay() { return JobsUnderWay(*TheSaves()); }

void FinishSaves() { WaitForJobs(*TheSaves()); }
