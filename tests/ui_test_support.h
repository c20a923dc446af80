// Helpers for tests that drive real windows: serve the message queue and
// collect the events that come out of it.
#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include <windows.h>

#include <objidl.h>

struct SeenEvent {
  std::int32_t kind = 0;
  std::int32_t window = -1;
  std::int32_t gadget = -1;
  std::int32_t menu = -1;
  std::int32_t type = 0;
  std::vector<std::wstring> paths;
  bool operator==(const SeenEvent& other) const {
    return kind == other.kind && window == other.window && gadget == other.gadget && menu == other.menu &&
           type == other.type && paths == other.paths;
  }
};

inline void PrintTo(const SeenEvent& event, std::ostream* out) {
  *out << "{kind " << event.kind << ", window " << event.window << ", gadget " << event.gadget << ", menu "
       << event.menu << ", type " << event.type << ", " << event.paths.size() << " paths}";
}

// Reads of the services' windows and gadgets that only tests make, on the
// window thread: a window's client width in 96-DPI units, image `image` as
// loaded (at 96 DPI), and a list gadget's rows and cells as its control shows them.
std::int32_t WindowClientWidth(std::int32_t number);
HICON ImageIcon(std::int32_t image);
std::int32_t CountListRows(std::int32_t gadget);
std::wstring GetListCellText(std::int32_t gadget, std::int32_t row, std::int32_t column);

// Serves the queue for `ms` milliseconds and returns every event seen.
std::vector<SeenEvent> ServeFor(std::int32_t ms);
// Serves the queue until `done` holds or `ms` milliseconds pass; the result of `done`.
bool ServeUntil(const std::function<bool()>& done, std::int32_t ms = 5000);
std::wstring WindowText(HWND handle);
// A cell of list view `list` as the control itself answers (for a list drawn
// from a model, what it would draw).
std::wstring ListCellText(HWND list, int row, int column);
// The text of a message box (its static text control).
std::wstring MessageBoxText(HWND box);
// Column `column` of list view `list`: its title and width; empty and 0 when it has none.
struct ListColumnInfo {
  std::wstring title;
  int width = 0;
};
ListColumnInfo ListColumn(HWND list, int column);
// Empties the clipboard as another program would; false when it cannot be opened.
bool EmptyClipboardNow();
std::wstring ClassName(HWND handle);
// Presses and releases a key, with Shift or Control held when asked, as
// input to the window that has the focus.
// Returns the events seen meanwhile.
std::vector<SeenEvent> PressKey(HWND target, WORD key, bool control = false, bool shift = false);
// The user's left click on the middle of `row`'s tick box in list view `list`,
// found with the control's own hit test; sent, so nothing else is served.
// False when the row shows no tick box.
bool ClickTickBox(HWND list, int row);

// The size and depth of an icon's colour image; zeros when it has none.
struct IconImageSize {
  int width = 0;
  int height = 0;
  int bits = 0;
};
IconImageSize SizeOfIcon(HICON icon);
// The pixels of an icon's colour image and then of its mask, top-down at 32
// bits each; empty when it has no colour image.
std::vector<std::uint32_t> IconPixels(HICON icon);
// How many images icon resource `resource` of this executable holds; 0 when
// there is no such resource.
int IconResourceImageCount(std::int32_t resource);
// The image of exactly `size` x `size` pixels in icon resource `resource`,
// decoded as stored, never scaled; null when it has none. The caller destroys it.
HICON StoredIconImage(std::int32_t resource, std::int32_t size);

// Answers the requester titled `title` from another thread, as a user would:
// types `name` into its file name box (when given) and presses OK, else
// Cancel. Notes whether `other` was disabled while it was shown, and the
// names its file type box offered.
struct RequesterAnswer {
  std::wstring title;
  std::wstring name;
  HWND other = nullptr;
  bool other_was_disabled = false;
  bool found = false;
  std::vector<std::wstring> file_types{};
};
void Answer(RequesterAnswer* answer);

// The visible dialog titled `title`, waited for up to 30 s; null if none came.
HWND FindDialog(const std::wstring& title);
// Presses `button`, and keeps pressing Cancel while the dialog stays, so a
// failing test ends instead of waiting for ever.
void PressUntilGone(HWND dialog, int button);

// The file name box of a file requester: its one visible edit control,
// wherever it is nested; null when there is none.
HWND FileNameBox(HWND dialog);

// Drops `paths` on `window` through its registered drop target, as the shell
// would; false when the window is no drop target.
bool DropFiles(HWND window, const std::vector<std::wstring>& paths);

// A list-of-files handle (as the shell hands it over) for `paths`; the caller frees it.
HGLOBAL MakeFileList(const std::vector<std::wstring>& paths);

// What a drag source offers: a list of files, or only text.

IDataObject* MakeFileDataObject(const std::vector<std::wstring>& paths);
IDataObject* MakeTextDataObject(const std::wstring& text);
