// The About window (window 4).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ui/dispatch_row.h"
#include "windows/tool_window.h"

inline constexpr std::int32_t kAboutWindow = 4;

// The page that credits the program's icons; also the link's text.
extern const wchar_t kIconsPageAddress[];

// Menu event 99: opens the window over its owner, then disables the owner.
void OpenAboutWindow(const ToolWindowContext& context);
// Control events of window 4: the link opens its page, OK closes the window.
void OnAboutWindowEvent(const Event& event);
// The window's rows of the dispatch table.
const std::vector<DispatchRow>& AboutWindowRows();

// How the link's page is opened: the shell's "OPEN" verb. Tests put their own
// opener in place so that no browser starts; null restores the shell's.
// Returns the opener replaced.
using PageOpener = void (*)(const std::wstring& address);
PageOpener ReplacePageOpener(PageOpener opener);
