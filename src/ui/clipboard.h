// Clipboard text (UTF-16). Window thread only.
#pragma once

#include <string>

// Empties the clipboard and puts `text` on it.
bool SetClipboardText(const std::wstring& text);
// "" when the clipboard holds no text or cannot be opened.
std::wstring GetClipboardText();
