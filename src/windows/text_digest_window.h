// The text digest window (window 5).
#pragma once

#include <string>

// Menu event 11: opens the window over the main window, then disables the main window.
void OpenTextDigestWindow();
// Close request of window 5: enables the main window, then closes.
void CloseTextDigestWindow();
// Gadget 24 (Calculate): the digest of the typed text into the result field.
void CalculateTextDigest();
// Gadget 25 (Paste): the clipboard's text replaces the editor's.
void PasteTextToDigest();
// Gadget 23 (copy): the result to the clipboard when it is a digest text.
void CopyTextDigest();
