// The file verifier window (window 3): one chosen file checked against a typed
// or pasted digest on a worker thread.
#include "windows/file_verifier_window.h"

#include <array>
#include <memory>

#include "engine/md5_digest.h"
#include "os/decimal_text.h"
#include "os/path_size.h"
#include "ui/clipboard.h"
#include "ui/gadget.h"
#include "ui/requester.h"
#include "windows/long_work.h"
#include "windows/single_file_check.h"
#include "windows/window_worker.h"

namespace {

// Check is usable only with a digest text and a file that still has bytes.
bool ReadyToCheck() {
  return IsDigestText(GetGadgetText(kFileVerifierChecksumField)) && os::PathSize(GetGadgetText(kFileVerifierPathField)) > 0;
}

// The gadgets a check holds still: Check first, so that its worker's giving
// them back comes last; given back paste first.
void EnableInputs(bool enable) {
  static const std::array<std::int32_t, 4> held{kFileVerifierCheckButton, kFileVerifierChooseButton, kFileVerifierChecksumField, kFileVerifierPasteButton};
  static const std::array<std::int32_t, 4> given_back{kFileVerifierPasteButton, kFileVerifierCheckButton, kFileVerifierChecksumField, kFileVerifierChooseButton};
  for (std::int32_t gadget : enable ? given_back : held) EnableGadget(gadget, enable);
}

// Runs on the worker. Every write goes to the window that was open when the
// check began: once it is closed, they are dropped, even when a new file
// verifier window has been opened meanwhile. A check without a result shows
// "Idle": an earlier verdict (perhaps of another file) or the last percent
// would pass for this check's.
void CheckFile(const std::wstring& path, const std::wstring& expected, HashedBytes* meter) {
  const SingleCheckResult result = CheckOneFile(path, expected, [](std::int32_t percent) {
    SetGadgetText(kFileVerifierStatusLine, os::DecimalText(static_cast<std::uint64_t>(percent)) + L"%");
  }, meter);
  switch (result) {
    case SingleCheckResult::Valid:
      SetGadgetText(kFileVerifierStatusLine, L"Checksum valid");
      break;
    case SingleCheckResult::Invalid:
      SetGadgetText(kFileVerifierStatusLine, L"Checksum invalid");
      break;
    case SingleCheckResult::NoResult:
      SetGadgetText(kFileVerifierStatusLine, L"Idle");
      break;
  }
  EnableInputs(true);
}

// The check on the taskbar, window thread only: a check whose window closed
// shows no more, though its worker finishes the file.
LongWorkId& CheckOnTaskbar() {
  static LongWorkId work = 0;
  return work;
}

}  // namespace

void OpenFileVerifierWindow(const ToolWindowContext& context, const std::wstring& path) {
  if (!OpenToolWindow(kFileVerifierWindow, 342, 162, L"File Verifier", WindowStyle::ToolWithClose, context)) return;
  // Each field is named after the frame around it.
  const std::wstring input_file = L"Input File";
  const std::wstring checksum = L"Checksum";
  FrameGadget(kFileVerifierInputFileFrame, 10, 10, 320, 50, input_file);
  StringGadget(kFileVerifierPathField, 20, 30, 260, 20, path, kFieldReadOnly);
  NameGadget(kFileVerifierPathField, input_file);
  ButtonGadget(kFileVerifierChooseButton, 280, 29, 40, 22, L"...");
  FrameGadget(kFileVerifierChecksumFrame, 10, 70, 320, 50, checksum);
  StringGadget(kFileVerifierChecksumField, 20, 90, 260, 20, L"");
  NameGadget(kFileVerifierChecksumField, checksum);
  ButtonGadget(kFileVerifierPasteButton, 280, 89, 40, 22, L"paste");
  TextGadget(kFileVerifierStatusLabel, 10, 130, 40, 20, L"Status:");
  TextGadget(kFileVerifierStatusLine, 50, 130, 210, 20, L"Idle");
  ButtonGadget(kFileVerifierCheckButton, 270, 126, 60, 30, L"Check");
  EnableGadget(kFileVerifierCheckButton, false);
  SetDefaultButton(kFileVerifierCheckButton);
  FocusGadget(kFileVerifierChooseButton);
  DisableToolWindowOwner(kFileVerifierWindow);
}

void CloseFileVerifierWindow() {
  // A running check is left to finish; its writes to this window are dropped.
  EndLongWork(CheckOnTaskbar(), LongWorkEnd::Stopped);
  CloseToolWindow(kFileVerifierWindow, CloseOrder::EnableOwnerFirst);
}

void PasteChecksum() {
  // Setting the field raises its change event, which decides about Check.
  SetGadgetText(kFileVerifierChecksumField, GetClipboardText());
}

void ChooseFileToVerify() {
  const std::wstring path = OpenFileRequester(L"Select file..", L"", L"All Files|*", false);
  if (os::PathSize(path) <= 0) return;
  if (IsDigestText(GetGadgetText(kFileVerifierChecksumField))) EnableGadget(kFileVerifierCheckButton, true);
  SetGadgetText(kFileVerifierPathField, path);
}

void UpdateFileVerifierCheckButton() { EnableGadget(kFileVerifierCheckButton, ReadyToCheck()); }

void StartSingleFileCheck() {
  EnableInputs(false);
  // Taken now, while the fields are held still, so that the worker never reads
  // a window that may have been closed and opened again by the time it runs.
  const std::wstring path = GetGadgetText(kFileVerifierPathField);
  const std::wstring expected = GetGadgetText(kFileVerifierChecksumField);
  const ToolWindowContext& context = ToolContextOf(kFileVerifierWindow);
  auto meter = std::make_shared<HashedBytes>();
  CheckOnTaskbar() = BeginLongWork(context.owner, meter, nullptr);
  const auto check = [path, expected, meter, hold = HoldLongWork(CheckOnTaskbar())] { CheckFile(path, expected, meter.get()); };
  if (!StartWindowWorker(check, context.settings->thread_higher != 0))
    EnableInputs(true);  // without a worker nothing would ever give them back
}

const std::vector<DispatchRow>& FileVerifierWindowRows() {
  static const std::vector<DispatchRow> rows{
      {kFileVerifierWindow, kEventClose, kAnyNumber, kAnyType, CloseFileVerifierWindow},
      {kFileVerifierWindow, kEventControl, kFileVerifierPasteButton, kAnyType, PasteChecksum},
      {kFileVerifierWindow, kEventControl, kFileVerifierChooseButton, kAnyType, ChooseFileToVerify},
      {kFileVerifierWindow, kEventControl, kFileVerifierChecksumField, kEventTypeChange, UpdateFileVerifierCheckButton},
      {kFileVerifierWindow, kEventControl, kFileVerifierCheckButton, kAnyType, StartSingleFileCheck},
  };
  return rows;
}
