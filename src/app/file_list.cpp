#include "app/file_list.h"

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <new>

#include "app/main_window.h"
#include "os/ordered_walk.h"
#include "ui/clipboard.h"
#include "ui/events.h"
#include "ui/gadget.h"
#include "ui/list.h"
#include "ui/menu.h"
#include "ui/requester.h"
#include "ui/window.h"
#include "windows/window_worker.h"

namespace {

// Lookups and listings in flight at once while files are added: a network
// share answers each late but serves many together.
constexpr std::uint32_t kAddInFlight = 8;

// Files being added. Each add (a requester's choice, a drop) becomes a job
// that a worker looks up and walks, several requests at once; the rows come
// back in order and are appended here on the window thread, a few batches on
// their way at a time, so the window keeps serving. Adds are served one after
// another, in the order they were made.
//
// Clear list ends the adds so far and opens a new intake with a worker of its
// own: the next add starts at once, even while an ended walk still waits for
// a request that a lost share never answers.
struct AddQueue {
  std::shared_ptr<JobQueue> jobs = std::make_shared<JobQueue>();
  // Set by Clear list: what the adds of this queue still find is never appended.
  std::atomic<bool> dropped{false};
};

struct FileIntake {
  std::shared_ptr<AddQueue> queue = std::make_shared<AddQueue>();  // window thread only
  std::size_t unfinished = 0;  // adds since the last Clear list not yet done; window thread only
};

FileIntake& TheIntake() {
  static FileIntake intake;
  return intake;
}

// Window thread: appends a batch of rows. Memory that runs out ends the add
// there, as a folder that cannot be read does; the rows so far stay.
void AppendAddedRows(const AddQueue& queue, std::atomic<bool>& failed, std::vector<FileEntry>& entries,
                     bool ticked) {
  if (queue.dropped.load() || failed.load()) return;
  try {
    AppendRows(TheFileRows(), std::move(entries), ticked);
  } catch (const std::bad_alloc&) {
    failed.store(true);
  }
  ShowListRowCountNowAndThen(kFileListGadget);
}

// Runs on the worker: looks up `paths` (walking folders when asked) and hands
// the rows to the window thread in order.
void AddInOrder(std::vector<std::wstring>& paths, bool into_folders, bool ticked,
                const std::shared_ptr<AddQueue>& queue) {
  os::WalkSettings settings;
  settings.into_folders = into_folders;
  settings.in_flight = kAddInFlight;
  // Memory that runs out on the way ends the add quietly, the rows so far
  // kept, as a stop does; the add is still counted done.
  try {
    const WindowStream stream = OpenWindowStream(kMainWindow);
    const auto failed = std::make_shared<std::atomic<bool>>(false);
    os::WalkPaths(std::move(paths), settings, [&](std::vector<os::WalkedFile>& batch) {
      if (failed->load()) return false;
      auto entries = std::make_shared<std::vector<FileEntry>>();
      entries->reserve(batch.size());
      for (os::WalkedFile& file : batch) entries->push_back(FileEntry{std::move(file.path), file.size});
      return CarryInStream(stream, [entries, queue, failed, ticked] {
        AppendAddedRows(*queue, *failed, *entries, ticked);
      }, queue->dropped);
    }, &queue->dropped);
  } catch (const std::bad_alloc&) {
  }
  CallOnWindowThread(kMainWindow, [queue] {
    if (queue->dropped.load()) return;
    ShowListRowCount(kFileListGadget);
    --TheIntake().unfinished;
  });
}

// Copies made so far: counted on the window thread, read by Copy's workers.
std::atomic<std::uint64_t> g_copies{0};
// Copies whose worker has not ended: raised on the window thread before the
// worker starts, lowered by the worker as its last step.
std::atomic<std::int32_t> g_copies_under_way{0};
// Held by a Copy worker from its check that it is still the latest copy until
// its text is on the clipboard, so that an older copy never lands after a
// newer one.
std::mutex g_copy_hand_over;

// Window thread: queues one add behind those still under way.
void QueueAdd(std::vector<std::wstring> paths, bool into_folders, bool ticked) {
  FileIntake& intake = TheIntake();
  ++intake.unfinished;
  const std::shared_ptr<AddQueue> queue = intake.queue;
  // Its rows are for the window as it is open now.
  QueueJob(queue->jobs, [paths = std::move(paths), into_folders, ticked, queue]() mutable {
    AddInOrder(paths, into_folders, ticked, queue);
  });
}

}  // namespace

FileRows& TheFileRows() {
  static FileRows rows;
  return rows;
}

ListModel FileListModel() {
  ListModel model;
  model.count = [] { return static_cast<std::int32_t>(RowCount(TheFileRows())); };
  model.cell = [](std::int32_t row, std::int32_t column) {
    return RowCell(TheFileRows(), static_cast<std::size_t>(row), column);
  };
  model.ticked = [](std::int32_t row) { return IsRowTicked(TheFileRows(), static_cast<std::size_t>(row)); };
  model.set_ticked = [](std::int32_t row, bool ticked) {
    SetRowTicked(TheFileRows(), static_cast<std::size_t>(row), ticked);
  };
  return model;
}

void AddFilesByRequester(bool ticked) {
  std::vector<std::wstring> paths;
  for (std::wstring path = OpenFileRequester(L"Open", L"", L"All Files| *", true); !path.empty();
       path = NextSelectedFile())
    paths.push_back(std::move(path));
  if (!paths.empty()) QueueAdd(std::move(paths), false, ticked);
}

void AddDroppedPaths(const std::vector<std::wstring>& paths, bool ticked) {
  std::vector<std::wstring> kept;
  // A drop never carries an empty path; an empty one is no file.
  for (const std::wstring& path : paths)
    if (!path.empty()) kept.push_back(path);
  if (!kept.empty()) QueueAdd(std::move(kept), true, ticked);
}

bool FilesBeingAdded() { return TheIntake().unfinished != 0; }

void CopyTickedRows() {
  // The text of a million rows takes a while to make and Windows' copy of
  // it a good part of a second: the window thread only takes the rows as
  // they stand now, as views, no text made; a worker makes the text and
  // hands it to the clipboard itself, so that the window never waits. The
  // latest Copy wins. An empty text still replaces what was there.
  const std::uint64_t copy = ++g_copies;
  const std::shared_ptr<const ListSnapshot> snapshot = TakeListSnapshot(TheFileRows());
  if (!snapshot) return;  // too many rows to copy
  ++g_copies_under_way;
  std::function<void()> make = [copy, snapshot] {
    struct Ended {
      ~Ended() { --g_copies_under_way; }
    } ended;
    ClipboardText text;
    try {
      text = PrepareClipboardText(SnapshotText(*snapshot));
    } catch (const std::bad_alloc&) {
      return;  // a text too large to make is not copied
    }
    std::lock_guard<std::mutex> hold(g_copy_hand_over);
    if (copy == g_copies.load())
      HandToClipboard(text);
    else
      DiscardClipboardText(text);
  };
  if (!StartWindowWorker(make, false)) make();
}

bool CopiesUnderWay() { return g_copies_under_way.load() != 0; }

void DeleteSelectedRow() {
  const std::int32_t selected = GetGadgetState(kFileListGadget);
  FileRowCopy row;
  if (selected < 0 || !RowAt(TheFileRows(), static_cast<std::size_t>(selected), &row)) return;
  RemoveRow(TheFileRows(), row.id);
  RemoveListRow(kFileListGadget, selected);
}

void ClearFileList() {
  EndFileAdds();
  ClearRows(TheFileRows());
  ClearList(kFileListGadget);
}

void EndFileAdds() {
  FileIntake& intake = TheIntake();
  intake.queue->dropped.store(true);
  intake.queue = std::make_shared<AddQueue>();
  intake.unfinished = 0;
}

void ShowListPopupMenu() {
  // Opened by the keyboard, the event says where; by the mouse, at the pointer.
  const Event& event = TakenEvent();
  if (event.placed) {
    ShowPopupMenu(kListPopupMenu, kMainWindow, event.x, event.y);
    return;
  }
  std::int32_t x = 0, y = 0;
  MousePosition(&x, &y);
  ShowPopupMenu(kListPopupMenu, kMainWindow, x - 1, y - 1);
}

void RedrawFileRow(RowId id) {
  const std::int64_t index = RowIndex(TheFileRows(), id);
  if (index >= 0) RedrawListRow(kFileListGadget, static_cast<std::int32_t>(index));
}
