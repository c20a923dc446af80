// The text digest window (window 5): the digest of a typed or pasted text,
// computed on the window thread.
#include "windows/text_digest_window.h"

#include "engine/md5_digest.h"
#include "ui/clipboard.h"
#include "ui/gadget.h"
#include "windows/text_digest.h"

namespace {

constexpr std::int32_t kTextEditor = 20;
constexpr std::int32_t kResultFrame = 21;
constexpr std::int32_t kResultField = 22;
constexpr std::int32_t kCopyButton = 23;
constexpr std::int32_t kCalculateButton = 24;
constexpr std::int32_t kPasteButton = 25;

}  // namespace

void OpenTextDigestWindow(const ToolWindowContext& context) {
  const std::wstring title = L"Text to MD5";
  if (!OpenToolWindow(kTextDigestWindow, 441, 251, title, WindowStyle::ToolWithClose, context)) return;
  const std::wstring result = L"Result";
  EditorGadget(kTextEditor, 10, 10, 420, 140);
  NameGadget(kTextEditor, title);  // no label: the window says what it is for
  FrameGadget(kResultFrame, 10, 150, 420, 50, result);
  StringGadget(kResultField, 20, 170, 340, 20, L"", kFieldReadOnly | kFieldBorderless);
  NameGadget(kResultField, result);
  ButtonGadget(kCopyButton, 370, 170, 50, 20, L"copy");
  ButtonGadget(kCalculateButton, 350, 210, 80, 30, L"Calculate");
  ButtonGadget(kPasteButton, 260, 210, 80, 30, L"Paste");
  SetDefaultButton(kCalculateButton);
  FocusGadget(kTextEditor);
  DisableToolWindowOwner(kTextDigestWindow);
}

void CloseTextDigestWindow() { CloseToolWindow(kTextDigestWindow, CloseOrder::EnableOwnerFirst); }

void CalculateTextDigest() {
  // The editor hands its line breaks out as CR LF, which is what is hashed.
  SetGadgetText(kResultField, DigestOfText(GetGadgetText(kTextEditor)));
}

void PasteTextToDigest() { SetGadgetText(kTextEditor, GetClipboardText()); }

void CopyTextDigest() {
  // Before the first Calculate the field is empty and the clipboard stays as it is.
  const std::wstring result = GetGadgetText(kResultField);
  if (IsDigestText(result)) SetClipboardText(result);
}

const std::vector<DispatchRow>& TextDigestWindowRows() {
  static const std::vector<DispatchRow> rows{
      {kTextDigestWindow, kEventClose, kAnyNumber, kAnyType, CloseTextDigestWindow},
      {kTextDigestWindow, kEventControl, kCalculateButton, kAnyType, CalculateTextDigest},
      {kTextDigestWindow, kEventControl, kPasteButton, kAnyType, PasteTextToDigest},
      {kTextDigestWindow, kEventControl, kCopyButton, kAnyType, CopyTextDigest},
  };
  return rows;
}
