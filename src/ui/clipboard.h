// Clipboard text (UTF-16). Window thread only, except where said.
#pragma once

#include <string>

#include <windows.h>

// Empties the clipboard and puts `text` on it.
bool SetClipboardText(const std::wstring& text);

// A long text made ready and handed over on a worker, so that the window
// thread never waits for it: the memory the clipboard takes, or null when
// there was none.
struct ClipboardText {
  HGLOBAL memory = nullptr;
};
// Any thread.
ClipboardText PrepareClipboardText(const std::wstring& text);
// Any thread once the ui is started: empties the clipboard and puts the
// prepared text on it, the write queue's hidden window its owner; the text is
// used up either way. Windows copies the text as it takes it (a hundred
// megabytes for a million rows), so a long one is handed over on a worker:
// the window thread then waits neither for the copy nor for the worker, and
// the text stays on the clipboard after the program ends, as any other.
// Meanwhile the clipboard is open on the worker: the window thread's own
// clipboard calls wait for it as they wait for another program. Under Wine the
// server makes that copy, and every thread's calls to it wait meanwhile.
bool HandToClipboard(ClipboardText text);
// Frees a prepared text that will not be handed over. Any thread.
void DiscardClipboardText(ClipboardText text);
// "" when the clipboard holds no text or cannot be opened. A clipboard another
// holds (a worker's hand-over, another program) is waited for up to 1 s, the
// messages sent to the window thread served meanwhile.
std::wstring GetClipboardText();
