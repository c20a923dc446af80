// Clipboard text.
#include "ui/clipboard.h"

#include <windows.h>

#include <cstring>

#include "ui/ui_state.h"
#include "ui/window.h"
#include "ui/write.h"

namespace {

// Another program, or a worker's hand-over, may hold the clipboard for a
// moment; try a few times. The hidden window is made by the window thread
// when the ui starts; a worker only opens the clipboard with it.
bool OpenClipboardOwned() {
  if (!ui::PostOffice()) StartUi();
  HWND owner = ui::PostOffice();
  if (!owner) return false;
  for (int attempt = 0; attempt < 10; ++attempt) {
    // An owner window is needed: without one, EmptyClipboard leaves no owner
    // and SetClipboardData fails. It may belong to another thread than the
    // one that opens the clipboard.
    if (OpenClipboard(owner)) return true;
    Sleep(10);
  }
  return false;
}

}  // namespace

ClipboardText PrepareClipboardText(const std::wstring& text) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  if (!memory) return {};
  void* bytes = GlobalLock(memory);
  std::memcpy(bytes, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  GlobalUnlock(memory);
  return ClipboardText{memory};
}

bool HandToClipboard(ClipboardText text) {
  if (!text.memory) return false;
  if (!OpenClipboardOwned()) {
    GlobalFree(text.memory);
    return false;
  }
  EmptyClipboard();
  bool set = SetClipboardData(CF_UNICODETEXT, text.memory) != nullptr;
  CloseClipboard();
  if (!set) GlobalFree(text.memory);  // on success the clipboard owns it
  return set;
}

void DiscardClipboardText(ClipboardText text) {
  if (text.memory) GlobalFree(text.memory);
}

bool SetClipboardText(const std::wstring& text) { return HandToClipboard(PrepareClipboardText(text)); }

std::wstring GetClipboardText() {
  if (!OpenClipboardOwned()) return L"";
  std::wstring text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
      std::size_t limit = GlobalSize(data) / sizeof(wchar_t);
      std::size_t length = 0;
      while (length < limit && chars[length]) ++length;
      text.assign(chars, length);
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}
