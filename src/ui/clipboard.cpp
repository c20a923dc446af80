// Clipboard text.
#include "ui/clipboard.h"

#include <windows.h>

#include <cstring>

#include "ui/ui_state.h"
#include "ui/window.h"
#include "ui/write.h"

namespace {

// How long the window thread waits for a clipboard another holds. A
// worker's hand-over of a million rows holds it for a good part of a second.
constexpr ULONGLONG kWindowThreadWaitMs = 1000;

// Serves only the messages sent to the window thread's windows, for up to
// 10 ms: the holder may be waiting for one (EmptyClipboard sends the old
// owner, the hidden window, a message), while nothing else runs meanwhile.
void ServeSentMessages() {
  MsgWaitForMultipleObjectsEx(0, nullptr, 10, QS_SENDMESSAGE, 0);
  MSG message;
  PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

// Another program, or a worker's hand-over, may hold the clipboard for a
// moment: a worker tries a few times, the window thread for up to a second.
// The owner is the ui's hidden window, made by the thread that starts the ui,
// which becomes the window thread: in the program that thread, before any
// worker copies. A thread that copies before the ui started starts it.
bool OpenClipboardOwned() {
  if (!ui::PostOffice()) StartUi();
  HWND owner = ui::PostOffice();
  if (!owner) return false;
  const bool window_thread = OnWindowThread();
  const ULONGLONG deadline = GetTickCount64() + kWindowThreadWaitMs;
  for (int attempt = 0;; ++attempt) {
    // An owner window is needed: without one, EmptyClipboard leaves no owner
    // and SetClipboardData fails. It may belong to another thread than the
    // one that opens the clipboard.
    if (OpenClipboard(owner)) return true;
    if (window_thread) {
      if (GetTickCount64() >= deadline) return false;
      ServeSentMessages();
    } else {
      if (attempt == 9) return false;
      Sleep(10);
    }
  }
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
