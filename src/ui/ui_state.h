// Internal: the records behind window and gadget numbers, and the carrying of
// writes to the window thread. Not for use outside src/ui/.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include <windows.h>

#include <commctrl.h>

#include "ui/list.h"

namespace ui {

enum class GadgetKind { Button, CheckBox, Text, Field, Editor, Frame, Panel, Image, HyperLink, List };

// A list row as the services keep it. The cells live joined by LF in one
// string, one cell per column: one allocation a row, where a vector of cells
// took one more plus one per long cell (a virtual list keeps 100,000 rows here
// and nowhere else).
struct StoredRow {
  std::uint64_t id = 0;
  std::intptr_t number = 0;
  std::int32_t state = 0;
  std::wstring texts;
};

struct GadgetRecord {
  HWND handle = nullptr;
  std::int32_t window = -1;
  GadgetKind kind = GadgetKind::Text;
  COLORREF front = CLR_INVALID;
  COLORREF back = CLR_INVALID;
  HBRUSH back_brush = nullptr;
  // What other threads read: kept current by the window thread.
  std::wstring text;
  std::int32_t state = 0;
  bool enabled = true;
  std::vector<StoredRow> rows;  // list gadgets: in the control's order
  bool virtual_rows = false;  // list gadgets: owner data, `rows` is all there is
};

struct WindowRecord {
  HWND handle = nullptr;
  std::uint32_t generation = 0;
  std::int32_t owner = -1;
  HWND gadget_parent = nullptr;  // the window, or the panel made last
  SIZE min_size{0, 0};
  std::vector<ACCEL> shortcuts;
  HACCEL shortcut_table = nullptr;
  HWND toolbar = nullptr;
  HIMAGELIST toolbar_images = nullptr;
  std::map<std::int32_t, std::int32_t> image_slots;  // image number -> image list index
  std::map<std::int32_t, std::wstring> tooltips;     // menu number -> tooltip text
  HWND status = nullptr;
  HWND progress = nullptr;
  std::int32_t progress_field = 0;
};

struct Event {
  std::int32_t kind = 0;
  std::int32_t window = -1;
  std::int32_t gadget = -1;
  std::int32_t menu = -1;
  std::int32_t type = 0;
  std::wstring text;
};

// The services' whole state. `lock` guards windows, gadgets and row ids
// against reads from other threads; the window thread alone changes them.
// Never held while waiting on anything.
struct UiState {
  std::recursive_mutex lock;
  DWORD window_thread = 0;
  HWND post_office = nullptr;
  std::map<std::int32_t, WindowRecord> windows;
  std::map<std::int32_t, GadgetRecord> gadgets;
  std::uint32_t last_generation = 0;
  std::uint64_t last_row_id = 0;
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

// A write to a window or gadget, carried to the window thread when made on
// another thread.
enum class WriteKind {
  GadgetText, GadgetState, GadgetEnable, GadgetResize, GadgetColor,
  ListAdd, ListRemove, ListClear, ListRowState, ListCell, ListRowNumber,
  ToolbarEnable, StatusText, StatusProgress, WindowEnable, WindowCall,
};

struct Write {
  WriteKind kind = WriteKind::GadgetText;
  std::int32_t window = -1;      // target window (for gadgets: filled in from the gadget)
  std::int32_t gadget = -1;      // -1 for window-level writes
  std::uint32_t generation = 0;  // the target window's opening the write was made for
  std::int32_t row = -1;         // list writes: row index at the time of the call...
  std::uint64_t row_id = 0;      // ...or, once carried, the row's identity
  bool by_number = false;        // list writes: the row is the first carrying `number`
  std::int32_t a = 0, b = 0, c = 0, d = 0;
  std::intptr_t number = 0;
  std::wstring text;
  std::function<void()> call;  // WindowCall: run on the window thread
};

// Applies `write` now on the window thread, or posts it there.
void Carry(Write write);
// Window thread: applies a write made on this thread or carried here.
void ApplyWrite(const Write& write, bool carried);
// Per-kind appliers, in the files of their controls.
void ApplyListWrite(const Write& write, GadgetRecord& gadget);
void ApplyBarWrite(const Write& write, WindowRecord& window);

LRESULT CALLBACK WindowProcedure(HWND handle, UINT message, WPARAM wparam, LPARAM lparam);
// Window thread: keeps the list copy current after the control changed a row's state.
void NoteListItemChanged(std::int32_t gadget, std::int32_t row);
// Window thread: a virtual list's notifications (texts and ticks to draw, the
// user's tick toggles, type-ahead). The notification's result.
LRESULT AnswerVirtualList(std::int32_t gadget, NMHDR* header);
void LayOutBars(WindowRecord& window);
HFONT GuiFont();

}  // namespace ui
