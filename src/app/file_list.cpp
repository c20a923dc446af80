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
// back in order and are appended here on the window thread, one batch per
// turn, so the window keeps serving. Adds are served one after another, in
// the order they were made.
struct FileIntake {
  std::mutex lock;  // guards `jobs` and `worker_running`
  std::deque<std::function<void()>> jobs;
  bool worker_running = false;
  // Window thread only. Clear list sets the flag its adds so far were given
  // and starts a new one: what they still find is never appended.
  std::shared_ptr<std::atomic<bool>> dropped = std::make_shared<std::atomic<bool>>(false);
  std::size_t unfinished = 0;  // adds since the last Clear list not yet done
};

FileIntake& TheIntake() {
  static FileIntake intake;
  return intake;
}

// The worker: every job waiting, then it ends (a later add starts another).
void ServeAddJobs() {
  FileIntake& intake = TheIntake();
  while (true) {
    std::function<void()> job;
    {
      std::lock_guard<std::mutex> hold(intake.lock);
      if (intake.jobs.empty()) {
        intake.worker_running = false;
        return;
      }
      job = std::move(intake.jobs.front());
      intake.jobs.pop_front();
    }
    job();
  }
}

// Runs on the worker: looks up `paths` (walking folders when asked) and hands
// the rows to the window thread in order.
void AddInOrder(std::vector<std::wstring>& paths, bool into_folders, bool ticked,
                const std::shared_ptr<std::atomic<bool>>& dropped) {
  os::WalkSettings settings;
  settings.into_folders = into_folders;
  settings.in_flight = kAddInFlight;
  os::WalkPaths(std::move(paths), settings, [&](std::vector<os::WalkedFile>& batch) {
    auto entries = std::make_shared<std::vector<FileEntry>>();
    entries->reserve(batch.size());
    for (os::WalkedFile& file : batch) entries->push_back(FileEntry{std::move(file.path), file.size});
    CallOnWindowThread(kMainWindow, [entries, dropped, ticked] {
      if (dropped->load()) return;
      AppendRows(TheFileRows(), std::move(*entries), ticked);
      ShowListRowCountNowAndThen(kFileListGadget);
    });
    return true;
  }, dropped.get());
  CallOnWindowThread(kMainWindow, [dropped] {
    if (dropped->load()) return;
    ShowListRowCount(kFileListGadget);
    --TheIntake().unfinished;
  });
}

// Copy's text of the rows up to `last`, read a slice at a time.
std::wstring CopyText(RowId last) {
  constexpr std::size_t kRowsPerSlice = 8192;
  std::wstring text;
  std::vector<ChecksumRow> slice;
  for (RowId after = kNoRow;;) {
    slice.clear();
    after = AppendChecksumRows(TheFileRows(), after, last, kRowsPerSlice, &slice);
    if (after == kNoRow) return text;
    text += ChecksumListText(slice);
  }
}

// Copies made so far; window thread only.
std::uint64_t g_copies = 0;

// Window thread: queues one add behind those still under way.
void QueueAdd(std::vector<std::wstring> paths, bool into_folders, bool ticked) {
  FileIntake& intake = TheIntake();
  ++intake.unfinished;
  // Bound now: its rows are for the window as it is open now.
  std::function<void()> job = BindToOpenWindows(
      [paths = std::move(paths), into_folders, ticked, dropped = intake.dropped]() mutable {
        AddInOrder(paths, into_folders, ticked, dropped);
      });
  bool start = false;
  {
    std::lock_guard<std::mutex> hold(intake.lock);
    intake.jobs.push_back(std::move(job));
    start = !intake.worker_running;
    intake.worker_running = true;
  }
  // Without a thread the adds are made here and now, as they come.
  if (start && !StartWindowWorker(ServeAddJobs, false)) ServeAddJobs();
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
  // The text of a million rows takes seconds to make: a worker makes it, a
  // slice of rows at a time, and the window thread only hands it over. The
  // rows are those there now, each as it stands when its slice is read; the
  // latest Copy wins. An empty text still replaces what was there.
  const std::uint64_t copy = ++g_copies;
  const RowId last = LastRowId(TheFileRows());
  std::function<void()> make = [copy, last] {
    ClipboardText text;
    try {
      text = PrepareClipboardText(CopyText(last));
    } catch (const std::bad_alloc&) {
      return;  // a text too large to make is not copied
    }
    CallOnWindowThread(kMainWindow, [copy, text] {
      if (copy == g_copies)
        HandToClipboard(text);
      else
        DiscardClipboardText(text);
    });
  };
  if (!StartWindowWorker(make, false)) make();
}

void DeleteSelectedRow() {
  const std::int32_t selected = GetGadgetState(kFileListGadget);
  FileRow row;
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
  intake.dropped->store(true);
  intake.dropped = std::make_shared<std::atomic<bool>>(false);
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
