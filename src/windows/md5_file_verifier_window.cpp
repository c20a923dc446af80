// The MD5 file verifier window (window 2): the entries of a checksum list file,
// each checked against its recorded digest by one worker.
#include "windows/md5_file_verifier_window.h"

#include <atomic>
#include <memory>
#include <vector>

#include "formats/checksum_list_reader.h"
#include "os/path_size.h"
#include "ui/gadget.h"
#include "ui/list.h"
#include "ui/requester.h"
#include "ui/window.h"
#include "windows/list_check.h"
#include "windows/window_worker.h"

namespace {

constexpr std::int32_t kEntryList = 7;
constexpr std::int32_t kStatusFrame = 8;
constexpr std::int32_t kCheckButton = 9;
constexpr std::int32_t kStatusLine = 10;
constexpr std::int32_t kValidColumn = 2;

using Entries = std::vector<ChecksumEntry>;

// The open window's entries, row by row, and whether its check runs. The
// window thread sets `busy` before the worker starts; the worker clears it as
// its very last step, so a close request is refused until the worker no
// longer touches the entries.
struct Verifier {
  ToolWindowContext context;
  std::shared_ptr<const Entries> entries;
  std::atomic<bool> busy{false};
};

Verifier& TheVerifier() {
  static Verifier verifier;
  return verifier;
}

// Runs on the worker. A file that cannot be read to its end this time gets an
// empty Valid cell, as before any check: an earlier verdict would pass for
// this check's.
void CheckList(const Entries& entries) {
  const auto set_valid = [](std::size_t row, const std::wstring& text) {
    SetListCellText(kEntryList, static_cast<std::int32_t>(row), kValidColumn, text);
  };
  ListCheckView view;
  view.hashing = [](std::size_t row, std::size_t rows) {
    SetGadgetText(kStatusLine, L"Overall status: Calculating md5 for " + std::to_wstring(row + 1) + L"/" +
                                   std::to_wstring(rows));
  };
  view.progress = [&](std::size_t row, std::int32_t percent) { set_valid(row, std::to_wstring(percent) + L"%"); };
  view.verdict = [&](std::size_t row, bool intact) { set_valid(row, intact ? L"OK" : L"Invalid"); };
  view.unread = [&](std::size_t row) { set_valid(row, L""); };
  view.done = [] {
    EnableGadget(kCheckButton, true);
    SetGadgetText(kStatusLine, L"Overall status: Done");
  };
  RunListCheck(entries, view);
}

void OpenVerifierWindow(const ToolWindowContext& context, const std::wstring& list_path) {
  if (!OpenWindow(kVerifierWindow, 0, 0, 445, 331, L"MD5 File Verifier", WindowStyle::ToolWithClose, context.owner))
    return;
  TheVerifier().context = context;
  ListGadget(kEntryList, 10, 10, 420, 240, L"File", 100, kListPlain);
  AddListColumn(kEntryList, 1, L"Hash", 100);
  AddListColumn(kEntryList, 2, L"Valid", 100);
  FrameGadget(kStatusFrame, 10, 260, 420, 60, L"");
  ButtonGadget(kCheckButton, 350, 277, 70, 30, L"Check");
  TextGadget(kStatusLine, 20, 285, 320, 20, L"Overall status:");
  auto entries = std::make_shared<Entries>(ReadChecksumList(list_path));
  for (std::size_t row = 0; row < entries->size(); ++row) {
    const ChecksumEntry& entry = (*entries)[row];
    AddListRow(kEntryList, entry.name + L"\n" + entry.digest + L"\n");
  }
  TheVerifier().entries = std::move(entries);
  // The window stays open with its empty list.
  if (TheVerifier().entries->empty()) MessageRequester(L"Error", L"Invalid md5 file.");
}

}  // namespace

void VerifyMd5File(const ToolWindowContext& context) {
  const std::wstring path = OpenFileRequester(L"Open", L"", L"MD5 Files|*.md5|All files|*", false);
  if (os::PathSize(path) <= 0) return;
  OpenVerifierWindow(context, path);
  if (IsWindowOpen(kVerifierWindow)) EnableWindowNumber(context.owner, false);
}

void CloseMd5FileVerifierWindow() {
  Verifier& verifier = TheVerifier();
  if (verifier.busy.load()) return;
  EnableWindowNumber(verifier.context.owner, true);
  CloseWindowNumber(kVerifierWindow);
  verifier.entries.reset();
}

void StartVerifyListCheck() {
  Verifier& verifier = TheVerifier();
  if (!verifier.entries || verifier.busy.load()) return;
  // The worker's enabling of Check must come after this, so this comes first.
  EnableGadget(kCheckButton, false);
  verifier.busy.store(true);
  const bool started = StartWindowWorker(
      [&verifier, entries = verifier.entries] {
        CheckList(*entries);
        verifier.busy.store(false);
      },
      verifier.context.settings->thread_higher != 0);
  // Check stays disabled: the window can still be closed, and opened again.
  if (!started) verifier.busy.store(false);
}

const std::vector<DispatchRow>& Md5FileVerifierWindowRows() {
  static const std::vector<DispatchRow> rows{
      {kVerifierWindow, kEventClose, kAnyNumber, kAnyType, CloseMd5FileVerifierWindow},
      {kVerifierWindow, kEventControl, kCheckButton, kAnyType, StartVerifyListCheck},
  };
  return rows;
}
