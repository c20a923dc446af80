// The text digest window (window 5).
// The commands are wired into the event loop; their work is still to be written.
#include "windows/text_digest_window.h"

void OpenTextDigestWindow() {}

void CloseTextDigestWindow() {}

void CalculateTextDigest() {}

void PasteTextToDigest() {}

void CopyTextDigest() {}
