// Internal: the records behind window and gadget numbers. Not for use outside src/ui/.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include <windows.h>

#include <commctrl.h>

#include "ui/events.h"
#include "ui/list.h"
#include "ui/list_model.h"

namespace ui {

enum class GadgetKind { Button, CheckBox, Text, Field, Editor, Frame, Panel, Image, HyperLink, List };

struct GadgetRecord {
  HWND handle = nullptr;
  std::int32_t window = -1;
  GadgetKind kind = GadgetKind::Text;
  // What other threads read: kept current by the window thread.
  std::wstring text;
  std::int32_t state = 0;  // check boxes: ticked; lists: the selected row or -1
  ListModel model;         // lists: the control asks it for everything it shows
  // Where it was put, in 96-DPI units relative to its parent (left, top,
  // width as right, height as bottom): placed again when the DPI changes.
  RECT place{};
  std::int32_t image = -1;  // image gadgets: the image shown
  // What screen readers are told where the control's own text is not its
  // name (accessible.cpp); empty: the system's own answer.
  std::wstring accessible_name;
};

// Focus handed on by a control that was disabled while it had it (a button
// that starts work), to be given back when it is enabled again, unless the
// user has moved the focus meanwhile. Toolbar buttons lend the toolbar's
// keyboard button the same way.
struct FocusLoan {
  HWND lender = nullptr;
  HWND borrower = nullptr;
  std::int32_t lender_button = -1;  // toolbar: menu numbers
  std::int32_t borrower_button = -1;
};

struct WindowRecord {
  HWND handle = nullptr;
  std::uint32_t generation = 0;
  std::int32_t owner = -1;
  bool close_box = false;        // Escape then asks it to close, as the box does
  std::int32_t default_button = -1;  // Enter presses it (gadget number)
  std::int32_t cancel_button = -1;   // Escape presses it
  HWND saved_focus = nullptr;    // where the focus was when the window was last active
  HWND focus_seen = nullptr;     // the focus the keyboard's looks were last drawn for
  FocusLoan loan;
  HWND gadget_parent = nullptr;  // the window, or the panel made last
  std::int32_t dpi = 96;         // what its pixels are laid out for
  // The smallest outer size, in pixels at min_size_dpi, and the client area
  // and menu bar it was taken with, for other scales.
  SIZE min_size{0, 0};
  SIZE min_client{0, 0};
  bool min_with_menu = false;
  std::int32_t min_size_dpi = 96;
  std::vector<ACCEL> shortcuts;
  HACCEL shortcut_table = nullptr;
  HWND toolbar = nullptr;
  HIMAGELIST toolbar_images = nullptr;
  std::map<std::int32_t, std::int32_t> image_slots;  // image number -> image list index
  std::map<std::int32_t, std::wstring> tooltips;     // menu number -> tooltip text
  std::map<std::int32_t, std::wstring> captions;     // menu number -> caption under the icon
  HFONT toolbar_font = nullptr;  // the toolbar's own, made for the system's DPI
  std::int32_t toolbar_key = -1;  // the button the keyboard is on (menu number)
  HWND status = nullptr;
  HWND progress = nullptr;
  std::int32_t progress_field = 0;
  std::vector<std::int32_t> status_widths;  // 96-DPI units
  std::int32_t status_min_height = 0;       // 96-DPI units
  HFONT status_font = nullptr;              // the status bar's own, made for the system's DPI
};

// The services' whole state. `lock` guards windows, gadgets and row ids
// against reads from other threads; the window thread alone changes them.
// Never held while waiting on anything.
struct UiState {
  std::recursive_mutex lock;
  DWORD window_thread = 0;
  std::map<std::int32_t, WindowRecord> windows;
  std::map<std::int32_t, GadgetRecord> gadgets;
  std::uint32_t last_generation = 0;
  std::int32_t current_window = -1;
  std::deque<Event> events;  // window thread only
  Event current;             // window thread only
};

UiState& State();

// Lookups; the caller holds State().lock or is the window thread.
WindowRecord* FindWindowRecord(std::int32_t number);
GadgetRecord* FindGadget(std::int32_t gadget);
std::int32_t WindowNumberOf(HWND handle);      // -1 if not one of ours
std::int32_t GadgetNumberOf(HWND handle);      // -1 if not one of ours

void PushEvent(Event event);

// Window thread: makes a control in the current window (or inside its open
// panel) and records it as `gadget`. Null when that fails or the number is taken.
HWND MakeGadget(std::int32_t gadget, GadgetKind kind, const wchar_t* window_class, const std::wstring& text,
                DWORD style, DWORD extended, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);

LRESULT CALLBACK WindowProcedure(HWND handle, UINT message, WPARAM wparam, LPARAM lparam);
// Window thread: takes the list's selected row from the control into the
// record that other threads read, after the selection may have changed.
void NoteListSelection(std::int32_t gadget);
// Window thread: a model list's notifications (texts and ticks to draw, the
// user's tick toggles, type-ahead). The notification's result.
LRESULT AnswerModelList(std::int32_t gadget, NMHDR* header);
void LayOutBars(WindowRecord& window);
// The smallest outer size FixMinimumSize set, at the window's present scale.
SIZE MinimumSize(const WindowRecord& window);
// Window thread: lays window `number` out for `dpi` and moves it to
// `suggested` (WM_DPICHANGED).
void ChangeWindowDpi(std::int32_t number, std::int32_t dpi, const RECT& suggested);
// Window thread, on a change of the window's DPI (its record holds the new
// one already): fonts, places, column widths and images follow.
void RescaleGadget(GadgetRecord& gadget, std::int32_t old_dpi, std::int32_t dpi);
void RescaleListColumns(HWND list, std::int32_t old_dpi, std::int32_t dpi);
void RescaleBars(WindowRecord& window);

// Keyboard (keyboard.cpp), window thread only.
// A key message for one of our windows: Tab, Enter, Escape and the toolbar's
// keys. True when it was used up here.
bool HandleDialogKey(const MSG& message);
// After input or a focus change made here: the looks that follow the focus
// (the default button, the toolbar's keyboard button) are brought up to date.
void NoteFocus(HWND root);
// WM_ACTIVATE: the focus is kept while the window is inactive and given back
// when it is activated again.
void SaveFocus(WindowRecord& window);
void RestoreFocus(WindowRecord& window);
// Before a control is disabled and after it is enabled (see FocusLoan); for a
// toolbar button, after either.
void LendFocusBeforeDisabling(WindowRecord& window, HWND control);
void TakeBackFocus(WindowRecord& window, HWND control);
void LendToolbarKeyOfDisabled(WindowRecord& window, std::int32_t button);
void TakeBackToolbarKey(WindowRecord& window, std::int32_t button);
// TBN_HOTITEMCHANGE: while the toolbar has the focus its keyboard button
// follows the pointer but stays when the pointer leaves. The notification's result.
LRESULT AnswerToolbarHotItem(WindowRecord& window, const NMTBHOTITEM& change);
// The next control Tab reaches from `from`, in reading order; null for none.
HWND NextTabStop(HWND root, HWND from, bool backwards);
// A click of a button or link, reported as the mouse's would be.
void RaiseClick(HWND control);

// Accessibility (accessible.cpp), window thread only.
// WM_GETOBJECT for a control of ours: its answer, or 0 for the system's.
LRESULT AnswerGetObject(HWND control, WPARAM wparam, LPARAM lparam);

// taskbar.cpp: the shell's message that a window's taskbar button was made
// (again, after the shell restarted); what the button showed is shown again.
UINT TaskbarButtonCreatedMessage();
void NoteTaskbarButtonCreated(HWND window);
// The window is going: its button shows no progress.
void ForgetTaskbarButton(HWND window);

// session.cpp: the program's answers to the session's end.
bool AnsweredMayEnd();
void AnsweredEnding();
// Before the control is destroyed.
void ForgetAnnotations(const GadgetRecord& gadget);

}  // namespace ui
