// The text digest window (window 5): the digest of a typed or pasted text,
// computed on the window thread.
#include "windows/text_digest_window.h"

#include "engine/md5_digest.h"
#include "ui/clipboard.h"
#include "ui/gadget.h"
#include "windows/text_digest.h"

void OpenTextDigestWindow(const ToolWindowContext& context) {
  const std::wstring title = L"Text to MD5";
  if (!OpenToolWindow(kTextDigestWindow, 441, 251, title, WindowStyle::ToolWithClose, context)) return;
  const std::wstring result = L"Result";
  EditorGadget(kTextDigestEditor, 10, 10, 420, 140);
  NameGadget(kTextDigestEditor, title);  // no label: the window says what it is for
  FrameGadget(kTextDigestResultFrame, 10, 150, 420, 50, result);
  StringGadget(kTextDigestResultField, 20, 170, 340, 20, L"", kFieldReadOnly | kFieldBorderless);
  NameGadget(kTextDigestResultField, result);
  ButtonGadget(kTextDigestCopyButton, 370, 170, 50, 20, L"copy");
  ButtonGadget(kTextDigestCalculateButton, 350, 210, 80, 30, L"Calculate");
  ButtonGadget(kTextDigestPasteButton, 260, 210, 80, 30, L"Paste");
  SetDefaultButton(kTextDigestCalculateButton);
  FocusGadget(kTextDigestEditor);
  DisableToolWindowOwner(kTextDigestWindow);
}

void CloseTextDigestWindow() { CloseToolWindow(kTextDigestWindow, CloseOrder::EnableOwnerFirst); }

void CalculateTextDigest() {
  // The editor hands its line breaks out as CR LF, which is what is hashed.
  SetGadgetText(kTextDigestResultField, DigestOfText(GetGadgetText(kTextDigestEditor)));
}

void PasteTextToDigest() { SetGadgetText(kTextDigestEditor, GetClipboardText()); }

void CopyTextDigest() {
  // Before the first Calculate the field is empty and the clipboard stays as it is.
  const std::wstring result = GetGadgetText(kTextDigestResultField);
  if (IsDigestText(result)) SetClipboardText(result);
}

const std::vector<DispatchRow>& TextDigestWindowRows() {
  static const std::vector<DispatchRow> rows{
      {kTextDigestWindow, kEventClose, kAnyNumber, kAnyType, CloseTextDigestWindow},
      {kTextDigestWindow, kEventControl, kTextDigestCalculateButton, kAnyType, CalculateTextDigest},
      {kTextDigestWindow, kEventControl, kTextDigestPasteButton, kAnyType, PasteTextToDigest},
      {kTextDigestWindow, kEventControl, kTextDigestCopyButton, kAnyType, CopyTextDigest},
  };
  return rows;
}
