// Clipboard text (UTF-16). Window thread only, except where said.
#pragma once

#include <string>

#include <windows.h>

// Empties the clipboard and puts `text` on it.
bool SetClipboardText(const std::wstring& text);

// A long text made ready on a worker, so that the window thread only hands
// it over: the memory the clipboard takes, or null when there was none.
struct ClipboardText {
  HGLOBAL memory = nullptr;
};
// Any thread.
ClipboardText PrepareClipboardText(const std::wstring& text);
// Empties the clipboard and puts the prepared text on it; it is used up
// either way.
bool HandToClipboard(ClipboardText text);
// Frees a prepared text that will not be handed over. Any thread.
void DiscardClipboardText(ClipboardText text);
// "" when the clipboard holds no text or cannot be opened.
std::wstring GetClipboardText();
