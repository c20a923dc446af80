// The MD5 file verifier window (window 2): the entries of a checksum list file,
// each checked against its recorded digest by one worker.
#include "windows/md5_file_verifier_window.h"

#include <atomic>
#include <memory>

#include "formats/checksum_list_reader.h"
#include "os/decimal_text.h"
#include "os/path_size.h"
#include "ui/gadget.h"
#include "ui/list.h"
#include "ui/requester.h"
#include "ui/window.h"
#include "windows/list_check.h"
#include "windows/verifier_rows.h"
#include "windows/window_worker.h"

namespace {

// The open window's rows and whether its check runs. The window thread sets
// `busy` before the worker starts; the worker clears it as its very last
// step, so a close request is refused until the check has written its last.
struct Verifier {
  std::shared_ptr<VerifierRows> rows;
  std::atomic<bool> busy{false};
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
void CheckList(const std::shared_ptr<VerifierRows>& rows) {
  // The text goes into the row at once; the window thread only draws it.
  const auto set_valid = [&rows](std::size_t row, std::wstring text) {
    SetValidText(*rows, row, std::move(text));
    CallOnWindowThread(kVerifierWindow,
                       [row] { RedrawListRow(kVerifierEntryList, static_cast<std::int32_t>(row)); });
  };
  ListCheckView view;
  view.hashing = [](std::size_t row, std::size_t count) {
    SetGadgetText(kVerifierStatusLine, L"Overall status: Calculating md5 for " + os::DecimalText(row + 1) + L"/" +
                                   os::DecimalText(count));
  };
  view.progress = [&](std::size_t row, std::int32_t percent) {
    set_valid(row, os::DecimalText(static_cast<std::uint64_t>(percent)) + L"%");
  };
  view.verdict = [&](std::size_t row, bool intact) { set_valid(row, intact ? L"OK" : L"Invalid"); };
  view.unread = [&](std::size_t row) { set_valid(row, L""); };
  view.done = [] {
    EnableGadget(kVerifierCheckButton, true);
    SetGadgetText(kVerifierStatusLine, L"Overall status: Done");
  };
  RunListCheck(rows->entries, view);
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
  FocusGadget(kVerifierEntryList);
  // The list control is told the count once: a big list opens at once.
  SetVerifierEntries(*verifier.rows, ReadChecksumList(list_path));
  ShowListRowCount(kVerifierEntryList);
  // The window stays open with its empty list.
  if (VerifierRowCount(*verifier.rows) == 0) MessageRequester(L"Error", L"Invalid md5 file.");
  DisableToolWindowOwner(kVerifierWindow);
}

void VerifyMd5File(const ToolWindowContext& context) {
  const std::wstring path = OpenFileRequester(L"Open", L"", L"MD5 Files|*.md5|All files|*", false);
  if (os::PathSize(path) <= 0) return;
  OpenMd5FileVerifierWindow(context, path);
}

void CloseMd5FileVerifierWindow() {
  Verifier& verifier = TheVerifier();
  if (verifier.busy.load()) return;
  CloseToolWindow(kVerifierWindow, CloseOrder::EnableOwnerFirst);
  verifier.rows.reset();
}

void StartVerifyListCheck() {
  Verifier& verifier = TheVerifier();
  if (!verifier.rows || verifier.busy.load()) return;
  // The worker's enabling of Check must come after this, so this comes first.
  EnableGadget(kVerifierCheckButton, false);
  verifier.busy.store(true);
  const bool started = StartWindowWorker(
      [&verifier, rows = verifier.rows] {
        CheckList(rows);
        verifier.busy.store(false);
      },
      ToolContextOf(kVerifierWindow).settings->thread_higher != 0);
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
