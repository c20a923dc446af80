// The file verifier window (window 3).
// The commands are wired into the event loop; their work is still to be written.
#include "windows/file_verifier_window.h"

void OpenFileVerifierWindow(const std::wstring& /*path*/) {}

void CloseFileVerifierWindow() {}

void PasteChecksum() {}

void ChooseFileToVerify() {}

void UpdateFileVerifierCheckButton() {}

void StartSingleFileCheck() {}
