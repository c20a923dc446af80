// The About window (window 4).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "ui/dispatch_row.h"
#include "windows/tool_window.h"

inline constexpr std::int32_t kAboutWindow = 4;

// The gadgets of About, numbered apart from every other window's (app/numbers.cpp).
inline constexpr std::int32_t kAboutPicture = 100, kAboutName = 101, kAboutVersion = 102, kAboutLink = 103,
                              kAboutIconsLabel = 104, kAboutThanks = 105, kAboutOkButton = 106;
inline constexpr std::array<std::int32_t, 7> kAboutGadgets{
    kAboutPicture, kAboutName, kAboutVersion, kAboutLink, kAboutIconsLabel, kAboutThanks, kAboutOkButton};
// The picture's image (numbers unique across all windows, as gadgets are).
inline constexpr std::int32_t kAboutImage = 4;
inline constexpr std::array<std::int32_t, 1> kAboutImages{kAboutImage};

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
