// The MD5 file verifier window (window 2): the entries of a checksum list file,
// each checked against its recorded digest by one worker.
#include "windows/md5_file_verifier_window.h"

#include <atomic>
#include <functional>
#include <memory>
#include <new>

#include "formats/checksum_list_reader.h"
#include "os/decimal_text.h"
#include "os/path_size.h"
#include "ui/gadget.h"
#include "ui/list.h"
#include "ui/requester.h"
#include "ui/window.h"
#include "windows/list_check.h"
#include "windows/long_work.h"
#include "windows/verifier_rows.h"
#include "windows/window_worker.h"

namespace {

// Lookups in flight at once while the list is read: on a network share one
// at a time would spend most of its time waiting.
constexpr std::uint32_t kReadInFlight = 8;

// The open window's rows and whether its check runs. The window thread sets
// `busy` before the worker starts; the worker clears it as its very last
// step, so a close request is refused until the check has written its last.
// While the list file is read the window is open and can be closed; closing
// sets `stop_reading`. Check waits for the last row.
struct Verifier {
  std::shared_ptr<VerifierRows> rows;
  std::atomic<bool> busy{false};
  bool reading = false;  // window thread only
  std::shared_ptr<std::atomic<bool>> stop_reading;
};

Verifier& TheVerifier() {
  static Verifier verifier;
  return verifier;
}

// The list draws from the rows, and keeps them for as long as it lives.
ListModel ModelOf(const std::shared_ptr<const VerifierRows>& rows) {
  ListModel model;
  model.count = [rows] { return static_cast<std::int32_t>(VerifierRowCount(*rows)); };
  model.cell = [rows](std::int32_t row, std::int32_t column) {
    return VerifierCell(*rows, static_cast<std::size_t>(row), column);
  };
  return model;
}

// Runs on the worker. A file that cannot be read to its end this time gets an
// empty Valid cell, as before any check: an earlier verdict would pass for
// this check's.
void CheckList(const std::shared_ptr<VerifierRows>& rows, HashedBytes* meter) {
  // The code goes into the row at once; the window thread only draws it.
  const auto set_valid = [&rows](std::size_t row, std::int32_t code) {
    SetValidCode(*rows, row, code);
    CallOnWindowThread(kVerifierWindow,
                       [row] { RedrawListRow(kVerifierEntryList, static_cast<std::int32_t>(row)); });
  };
  ListCheckView view;
  view.hashing = [](std::size_t row, std::size_t count) {
    SetGadgetText(kVerifierStatusLine, L"Overall status: Calculating md5 for " + os::DecimalText(row + 1) + L"/" +
                                   os::DecimalText(count));
  };
  view.progress = [&](std::size_t row, std::int32_t percent) { set_valid(row, percent); };
  view.verdict = [&](std::size_t row, bool intact) { set_valid(row, intact ? kValidOk : kValidInvalid); };
  view.unread = [&](std::size_t row) { set_valid(row, kValidNone); };
  view.done = [] {
    EnableGadget(kVerifierCheckButton, true);
    SetGadgetText(kVerifierStatusLine, L"Overall status: Done");
  };
  view.meter = meter;
  RunListCheck(*rows, view);
}

// Window thread: every row is in.
void FinishReading(const std::shared_ptr<VerifierRows>& rows) {
  Verifier& verifier = TheVerifier();
  if (verifier.rows != rows) return;
  verifier.reading = false;
  ShowListRowCount(kVerifierEntryList);
  EnableGadget(kVerifierCheckButton, true);
  // The window stays open with its empty list.
  if (VerifierRowCount(*rows) == 0) MessageRequester(L"Error", L"Invalid md5 file.", kVerifierWindow);
}

// Window thread: the next entries as rows. Memory that runs out ends the
// reading with no rows at all, as a list that cannot be read: a list is never
// checked in part.
void AppendEntries(const std::shared_ptr<VerifierRows>& rows, std::atomic<bool>& stop,
                   std::vector<ChecksumEntry>& entries) {
  if (TheVerifier().rows != rows || stop.load()) return;
  try {
    AppendVerifierEntries(*rows, entries);
  } catch (const std::bad_alloc&) {
    stop.store(true);
    ReleaseVerifierRows(*rows);
    FinishReading(rows);
    return;
  }
  ShowListRowCountNowAndThen(kVerifierEntryList);
}

// Runs on a worker: the list file's entries, in batches as their sizes come
// in, each appended and shown on the window thread, which alone writes the
// rows. A closed window stops the reading: nothing more is handed on.
void ReadEntries(const std::wstring& list_path, const std::shared_ptr<VerifierRows>& rows,
                 const std::shared_ptr<std::atomic<bool>>& stop) {
  ListReading how;
  how.in_flight = kReadInFlight;
  how.cancel = stop.get();
  const WindowStream stream = OpenWindowStream(kVerifierWindow);
  const auto reserve = [&](std::size_t lines) {
    CarryInStream(stream, [rows, stop, lines] {
      if (TheVerifier().rows != rows || stop->load()) return;
      try {
        ReserveVerifierRows(*rows, lines);
      } catch (const std::bad_alloc&) {
        // The rows grow as they come instead.
      }
    }, *stop);
  };
  ReadAndResolveChecksumList(list_path, how, reserve, [&](std::vector<ChecksumEntry>& entries) {
    auto batch = std::make_shared<std::vector<ChecksumEntry>>(std::move(entries));
    return CarryInStream(stream, [rows, stop, batch] { AppendEntries(rows, *stop, *batch); }, *stop);
  });
  if (!stop->load()) CallOnWindowThread(kVerifierWindow, [rows] { FinishReading(rows); });
}

}  // namespace

void OpenMd5FileVerifierWindow(const ToolWindowContext& context, const std::wstring& list_path) {
  if (!OpenToolWindow(kVerifierWindow, 445, 331, L"MD5 File Verifier", WindowStyle::ToolWithClose, context)) return;
  Verifier& verifier = TheVerifier();
  verifier.rows = std::make_shared<VerifierRows>();
  ListGadget(kVerifierEntryList, 10, 10, 420, 240, L"File", 100, kListPlain, ModelOf(verifier.rows));
  AddListColumn(kVerifierEntryList, kVerifierHashColumn, L"Hash", 100);
  AddListColumn(kVerifierEntryList, kVerifierValidColumn, L"Valid", 100);
  FrameGadget(kVerifierStatusFrame, 10, 260, 420, 60, L"");
  ButtonGadget(kVerifierCheckButton, 350, 277, 70, 30, L"Check");
  TextGadget(kVerifierStatusLine, 20, 285, 320, 20, L"Overall status:");
  SetDefaultButton(kVerifierCheckButton);
  EnableGadget(kVerifierCheckButton, false);
  FocusGadget(kVerifierEntryList);
  DisableToolWindowOwner(kVerifierWindow);
  // The window is there at once and fills as the list is read.
  verifier.reading = true;
  verifier.stop_reading = std::make_shared<std::atomic<bool>>(false);
  std::function<void()> read = [list_path, rows = verifier.rows, stop = verifier.stop_reading] {
    ReadEntries(list_path, rows, stop);
  };
  if (!StartWindowWorker(read, false)) read();
}

void VerifyMd5File(const ToolWindowContext& context) {
  const std::wstring path = OpenFileRequester(L"Open", L"", L"MD5 Files|*.md5|All files|*", false);
  if (os::PathSize(path) <= 0) return;
  OpenMd5FileVerifierWindow(context, path);
}

void CloseMd5FileVerifierWindow() {
  Verifier& verifier = TheVerifier();
  if (verifier.busy.load()) return;
  if (verifier.stop_reading) verifier.stop_reading->store(true);
  verifier.reading = false;
  CloseToolWindow(kVerifierWindow, CloseOrder::EnableOwnerFirst);
  // The rows' memory goes back to the system in a few calls, however long
  // the list: no thread is needed to let them go.
  const std::shared_ptr<VerifierRows> rows = std::move(verifier.rows);
  if (rows) ReleaseVerifierRows(*rows);
}

void StartVerifyListCheck() {
  Verifier& verifier = TheVerifier();
  if (!verifier.rows || verifier.reading || verifier.busy.load()) return;
  // The worker's enabling of Check must come after this, so this comes first.
  EnableGadget(kVerifierCheckButton, false);
  verifier.busy.store(true);
  const ToolWindowContext& context = ToolContextOf(kVerifierWindow);
  // The worker keeps the bytes of the rows below its own up to date.
  auto meter = std::make_shared<HashedBytes>();
  const LongWorkId work = BeginLongWork(context.owner, meter, [meter] {
    return meter->after.load(std::memory_order_relaxed);
  });
  const bool started = StartWindowWorker(
      [&verifier, rows = verifier.rows, meter, hold = HoldLongWork(work)] {
        CheckList(rows, meter.get());
        verifier.busy.store(false);
      },
      context.settings->thread_higher != 0);
  // Check stays disabled: the window can still be closed, and opened again.
  if (!started) verifier.busy.store(false);
}

const std::vector<DispatchRow>& Md5FileVerifierWindowRows() {
  static const std::vector<DispatchRow> rows{
      {kVerifierWindow, kEventClose, kAnyNumber, kAnyType, CloseMd5FileVerifierWindow},
      {kVerifierWindow, kEventControl, kVerifierCheckButton, kAnyType, StartVerifyListCheck},
  };
  return rows;
}
