// File requesters and the message box.
#include "ui/requester.h"

#include <windows.h>

#include <commdlg.h>
#include <ole2.h>

#include <algorithm>
#include <cwchar>
#include <vector>

#include "os/path_text.h"
#include "ui/ui_state.h"
#include "ui/window.h"

namespace {

using namespace ui;

// Room for the names of one multiple selection.
constexpr std::size_t kSelectionChars = 512000;

struct Selection {
  std::wstring folder;
  std::vector<std::wstring> names;
  std::size_t next = 0;
};

// Window thread only: read there before a requester's thread starts.
OpenDialog g_open_dialog = GetOpenFileNameW;

// Window thread only: whether a file requester is shown, and the message boxes
// asked for meanwhile, shown once it has closed.
struct MessageBoxAsked {
  std::wstring title;
  std::wstring text;
  std::int32_t owner;
};
bool g_requester_shown = false;
std::vector<MessageBoxAsked> g_boxes_waiting;

Selection& LastSelection() {
  static Selection selection;
  return selection;
}

// "Name|pattern|Name|pattern" in the requester's form: NUL-separated, doubly terminated.
std::wstring FilterText(const std::wstring& filter) {
  std::wstring text = filter;
  for (wchar_t& c : text)
    if (c == L'|') c = L'\0';
  text.append(2, L'\0');
  return text;
}

HWND ActiveOwner() {
  HWND active = GetActiveWindow();
  return WindowNumberOf(active) >= 0 ? active : nullptr;
}

// The system disables only the owner; the program's other windows are held
// still the same way for as long as the requester is shown.
std::vector<HWND> DisableOtherWindows(HWND owner) {
  std::vector<HWND> disabled;
  for (auto& [number, record] : State().windows) {
    if (record.handle != owner && IsWindowEnabled(record.handle)) {
      EnableWindow(record.handle, FALSE);
      disabled.push_back(record.handle);
    }
  }
  return disabled;
}

void EnableAgain(const std::vector<HWND>& disabled) {
  for (HWND handle : disabled) EnableWindow(handle, TRUE);
}

// The process's current folder; "" when it cannot be read.
std::wstring CurrentFolder() {
  const DWORD size = GetCurrentDirectoryW(0, nullptr);
  if (size == 0) return std::wstring();
  std::wstring folder(size, L'\0');
  const DWORD length = GetCurrentDirectoryW(size, folder.data());
  if (length == 0 || length >= size) return std::wstring();
  folder.resize(length);
  return folder;
}

// One requester shown on a thread of its own. The window thread fills it in
// before the thread starts and reads `chosen` (and the request's buffer) only
// after the thread has ended; in between the requester's thread alone touches
// it. The thread's start and end order those accesses: no lock guards it.
struct Showing {
  OPENFILENAMEW* request = nullptr;
  OpenDialog show = nullptr;
  BOOL chosen = FALSE;
};

DWORD WINAPI ShowRequester(void* parameter) {
  auto* showing = static_cast<Showing*>(parameter);
  // The requester drags and drops and asks the shell, as on the window thread.
  const HRESULT ole = OleInitialize(nullptr);
  showing->chosen = showing->show(showing->request);
  if (SUCCEEDED(ole)) OleUninitialize();
  return 0;
}

bool IsInput(UINT message) {
  return (message >= WM_KEYFIRST && message <= WM_KEYLAST) || (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
         (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK) || message == WM_NCMOUSEHOVER ||
         message == WM_NCMOUSELEAVE || message == WM_MOUSEHOVER || message == WM_MOUSELEAVE;
}

// Serves the window thread's messages until `thread` has ended, as a modal
// dialog's own loop would: painting, timers, the workers' carried writes, and
// the messages the requester's thread sends its owner (it disables, enables
// and activates it through them), so that thread never waits for this one.
// The requester owned by a window of this thread shares this thread's input;
// input meant for this thread's windows, which a modal owner would not take,
// is dropped (before the requester has disabled its owner, too). A quit
// message is kept for the loop outside.
void ServeUntilEnded(HANDLE thread) {
  bool quit = false;
  WPARAM quit_code = 0;
  for (;;) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        quit = true;
        quit_code = message.wParam;
        continue;
      }
      if (IsInput(message.message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (MsgWaitForMultipleObjectsEx(1, &thread, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE) == WAIT_OBJECT_0) break;
  }
  if (quit) PostQuitMessage(static_cast<int>(quit_code));
}

// Shows the requester on a thread of its own while this thread serves its
// messages; on this thread when no thread can be started.
BOOL ShowAside(OPENFILENAMEW* request, OpenDialog show) {
  Showing showing{request, show};
  HANDLE thread = CreateThread(nullptr, 0, ShowRequester, &showing, 0, nullptr);
  if (!thread) return show(request);
  ServeUntilEnded(thread);
  CloseHandle(thread);
  return showing.chosen;
}

// Shows the open or save requester over the active window; `buffer` holds
// the start name and receives the result.
bool Request(const std::wstring& title, const std::wstring& filter, std::vector<wchar_t>& buffer, DWORD flags,
             bool save) {
  std::wstring filter_text = FilterText(filter);
  OPENFILENAMEW request{};
  request.lStructSize = sizeof(request);
  request.hwndOwner = ActiveOwner();
  request.lpstrFilter = filter.empty() ? nullptr : filter_text.c_str();
  request.nFilterIndex = 1;
  request.lpstrFile = buffer.data();
  request.nMaxFile = static_cast<DWORD>(buffer.size() - 1);
  request.lpstrTitle = title.c_str();
  request.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | flags;
  std::vector<HWND> disabled = DisableOtherWindows(request.hwndOwner);
  // The program keeps a file by relative name in the current folder, and the
  // open requester may move that folder although OFN_NOCHANGEDIR asks it not
  // to: it is put back whatever the dialog did, chosen or cancelled.
  const std::wstring folder = CurrentFolder();
  g_requester_shown = true;
  BOOL chosen = ShowAside(&request, save ? GetSaveFileNameW : g_open_dialog);
  g_requester_shown = false;
  if (!folder.empty()) SetCurrentDirectoryW(folder.c_str());
  EnableAgain(disabled);
  std::vector<MessageBoxAsked> boxes;
  boxes.swap(g_boxes_waiting);
  for (const MessageBoxAsked& box : boxes) MessageRequester(box.title, box.text, box.owner);
  return chosen != FALSE;
}

}  // namespace

std::wstring OpenFileRequester(const std::wstring& title, const std::wstring& start_name,
                               const std::wstring& filter, bool multiple) {
  LastSelection() = Selection{};
  std::vector<wchar_t> buffer(kSelectionChars + 1, L'\0');
  start_name.copy(buffer.data(), std::min(start_name.size(), kSelectionChars));
  if (!Request(title, filter, buffer, multiple ? OFN_ALLOWMULTISELECT : 0, false)) return L"";
  // One name: the full path. Several: the folder, then each name, NUL-separated.
  std::wstring first(buffer.data());
  const wchar_t* rest = buffer.data() + first.size() + 1;
  if (!multiple || *rest == L'\0') return first;
  Selection& selection = LastSelection();
  selection.folder = first;
  for (; *rest; rest += wcslen(rest) + 1) selection.names.emplace_back(rest);
  selection.next = 1;
  return os::JoinPath(selection.folder, selection.names[0]);
}

std::wstring NextSelectedFile() {
  Selection& selection = LastSelection();
  if (selection.next >= selection.names.size()) return L"";
  return os::JoinPath(selection.folder, selection.names[selection.next++]);
}

std::wstring SaveFileRequester(const std::wstring& title, const std::wstring& start_name,
                               const std::wstring& filter) {
  std::vector<wchar_t> buffer(MAX_PATH * 4, L'\0');
  start_name.copy(buffer.data(), std::min(start_name.size(), buffer.size() - 1));
  return Request(title, filter, buffer, 0, true) ? std::wstring(buffer.data()) : std::wstring();
}

OpenDialog ReplaceOpenDialog(OpenDialog dialog) {
  const OpenDialog before = g_open_dialog;
  g_open_dialog = dialog ? dialog : GetOpenFileNameW;
  return before;
}

void MessageRequester(const std::wstring& title, const std::wstring& text, std::int32_t owner_number) {
  if (g_requester_shown) {
    g_boxes_waiting.push_back({title, text, owner_number});
    return;
  }
  // A window closed meanwhile leaves the box to the active one.
  HWND owner = owner_number >= 0 ? WindowHandle(owner_number) : nullptr;
  if (!owner) owner = ActiveOwner();
  std::vector<HWND> disabled = DisableOtherWindows(owner);
  MessageBoxW(owner, text.c_str(), title.c_str(), MB_OK);
  EnableAgain(disabled);
}
