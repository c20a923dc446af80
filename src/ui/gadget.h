// Controls ("gadgets") addressed by number, unique across all windows.
//
// Threads: creation is for the window thread. Every operation below may be
// called from any thread. On the window thread it acts at once. From another
// thread a write is queued for the window thread, which applies it later in
// the order made; the caller never waits and no write is lost. A write aimed
// at a window that has been closed since it was made (or since the worker was
// bound with BindToOpenWindows) is dropped and never reaches a later window
// that reuses the numbers. Reads from another thread come from a small locked copy that
// the window thread keeps current, so they never wait on the window thread;
// they show the state the window thread has reached, without the caller's own
// writes still on their way.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <windows.h>

#include "ui/list_model.h"

// Creation: in the current window, or inside the panel made last in it until
// EndPanel. Positions are relative to that parent. False on failure.
bool ButtonGadget(std::int32_t gadget, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                  const std::wstring& text);
bool CheckBoxGadget(std::int32_t gadget, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                    const std::wstring& text);

enum TextFlags : std::uint32_t { kTextLeft = 0, kTextCentred = 1, kTextWrapped = 2 };
bool TextGadget(std::int32_t gadget, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                const std::wstring& text, std::uint32_t flags = kTextLeft);

enum FieldFlags : std::uint32_t { kFieldEditable = 0, kFieldReadOnly = 1, kFieldBorderless = 2 };
bool StringGadget(std::int32_t gadget, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                  const std::wstring& text, std::uint32_t flags = kFieldEditable);
// Multi-line, both scroll bars, Enter starts a new line, no length limit.
bool EditorGadget(std::int32_t gadget, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);
bool FrameGadget(std::int32_t gadget, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                 const std::wstring& caption);
// A tab control without pages serving as a frame; gadgets made after it are
// its children until EndPanel.
bool PanelGadget(std::int32_t gadget, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);
void EndPanel();
// Shows image `image` (see image.h).
bool ImageGadget(std::int32_t gadget, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                 std::int32_t image);
// Underlined text in `normal` colour, `hover` under the pointer, with the hand
// pointer. Releasing the left button over it after pressing it there raises a
// click event.
// In the system's high-contrast mode the text takes the scheme's hot-track
// colour instead. Enter and Space on it, and a screen reader's default
// action, raise the same click event.
bool HyperLinkGadget(std::int32_t gadget, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                     const std::wstring& text, COLORREF normal, COLORREF hover);
// Whether high contrast is on; the system's answer unless a test replaces it
// (Wine cannot switch it on). Null restores the system's. Returns the one replaced.
using HighContrastQuery = bool (*)();
HighContrastQuery ReplaceHighContrastQuery(HighContrastQuery query);

enum ListFlags : std::uint32_t { kListPlain = 0, kListCheckBoxes = 1, kListFullRowSelect = 2, kListGridLines = 4 };
// Report view with column headers and single selection that stays visible
// without the focus. `first_column` is column 0; add more with AddListColumn.
// The control keeps no rows (owner data): it draws from `model`, and the
// model's owner says when the rows changed (list.h); the control keeps only
// the selection.
bool ListGadget(std::int32_t gadget, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                const std::wstring& first_column, std::int32_t first_width, std::uint32_t flags,
                const ListModel& model);
bool AddListColumn(std::int32_t gadget, std::int32_t column, const std::wstring& title, std::int32_t width);

// Keyboard and screen readers; window thread only. Enter presses the default
// button of a window (drawn as such) unless the focus is on another push
// button, a link or in a multi-line editor; Escape presses its cancel button,
// or asks a window with a close box to close. Tab follows reading order.
void SetDefaultButton(std::int32_t gadget);
void SetCancelButton(std::int32_t gadget);
// The gadget gets the focus now, or when its window is next active.
void FocusGadget(std::int32_t gadget);
// The name screen readers give a control whose text is not its name (a field
// by the frame around it, a picture by what it shows). Lists are named after
// their first column, links by their address.
void NameGadget(std::int32_t gadget, const std::wstring& name);

bool GadgetExists(std::int32_t gadget);
HWND GadgetHandle(std::int32_t gadget);

// Operations, safe from any thread.
void SetGadgetText(std::int32_t gadget, const std::wstring& text);
std::wstring GetGadgetText(std::int32_t gadget);
// Check box: 1 ticked, 0 not. List: the selected row, or -1 (set: select that row only).
void SetGadgetState(std::int32_t gadget, std::int32_t state);
std::int32_t GetGadgetState(std::int32_t gadget);
void EnableGadget(std::int32_t gadget, bool enable);
void ResizeGadget(std::int32_t gadget, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);
