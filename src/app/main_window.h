// The main window (window 0): menus, shortcuts, toolbar, pop-up menu, status
// bar with progress bar, and the file list (gadget 0).
#pragma once

#include <array>
#include <cstdint>
#include <string>

inline constexpr std::int32_t kMainWindow = 0;
inline constexpr std::int32_t kListPopupMenu = 1;

// Gadgets and images (numbers unique across all windows; app/numbers.cpp checks).
inline constexpr std::int32_t kFileListGadget = 0;
inline constexpr std::array<std::int32_t, 1> kMainWindowGadgets{kFileListGadget};
// The toolbar buttons' images, in button order.
inline constexpr std::int32_t kOpenImage = 0;
inline constexpr std::int32_t kStartImage = 1;
inline constexpr std::int32_t kStopImage = 2;
inline constexpr std::int32_t kOptionsImage = 3;
inline constexpr std::array<std::int32_t, 4> kMainWindowImages{kOpenImage, kStartImage, kStopImage, kOptionsImage};

// Menu numbers, shared by menu items, toolbar buttons and shortcuts.
inline constexpr std::int32_t kMenuAddFile = 0;
inline constexpr std::int32_t kMenuStart = 1;
inline constexpr std::int32_t kMenuStop = 2;
inline constexpr std::int32_t kMenuOptions = 3;
inline constexpr std::int32_t kMenuSaveMd5 = 4;
inline constexpr std::int32_t kMenuExit = 5;
inline constexpr std::int32_t kMenuCopy = 6;
inline constexpr std::int32_t kMenuDelete = 7;
inline constexpr std::int32_t kMenuClearList = 8;
inline constexpr std::int32_t kMenuVerifyMd5File = 9;
inline constexpr std::int32_t kMenuVerifyFile = 10;
inline constexpr std::int32_t kMenuTextToMd5 = 11;
inline constexpr std::int32_t kMenuAbout = 99;

// Status bar fields: progress bar, state text.
inline constexpr std::int32_t kProgressField = 0;
inline constexpr std::int32_t kStateField = 1;

std::wstring MainWindowTitle();

// The toolbar's icon resources (resources/sumwick.rc), in button order: Open,
// Start, Stop, Options. Each holds one 16 x 16 image.
inline constexpr std::int32_t kToolbarIconResources[4] = {2, 3, 4, 5};

// Loads the four toolbar icons into their images (kMainWindowImages).
bool LoadToolbarImages();

// Opens window 0 and builds everything on it. When the window cannot be
// opened nothing else is built and the result is false.
bool BuildMainWindow();

// The list fills the client area between toolbar and status bar.
void LayOutMainWindow();
