#include "app/main_window.h"

#include <windows.h>

#include "app/file_list.h"
#include "os/decimal_text.h"
#include "ui/bars.h"
#include "ui/file_drop.h"
#include "ui/gadget.h"
#include "ui/image.h"
#include "ui/menu.h"
#include "ui/window.h"
#include "version.h"

namespace {

constexpr std::int32_t kLeft = 388;
constexpr std::int32_t kTop = 177;
constexpr std::int32_t kClientWidth = 690;
constexpr std::int32_t kClientHeight = 320;

const std::vector<MenuEntry> kEditEntries{{kMenuCopy, L"Copy\tCtrl+C"},
                                          {kMenuDelete, L"Delete\tDel"},
                                          {kMenuRule, L""},
                                          {kMenuClearList, L"Clear list\tShift+Del"}};

void BuildMenus() {
  SetMenuBar(kMainWindow, {{L"File", {{kMenuAddFile, L"Add File"},
                                      {kMenuRule, L""},
                                      {kMenuSaveMd5, L"Save MD5"},
                                      {kMenuRule, L""},
                                      {kMenuExit, L"Exit"}}},
                           {L"Edit", kEditEntries},
                           {L"Tools", {{kMenuVerifyMd5File, L"Verify MD5 file"},
                                       {kMenuVerifyFile, L"Verify file"},
                                       {kMenuTextToMd5, L"Text to MD5"}}},
                           {L"Help", {{kMenuAbout, L"About"}}}});
  AddShortcut(kMainWindow, kShortcutControl, 'C', kMenuCopy);
  AddShortcut(kMainWindow, kShortcutPlain, VK_DELETE, kMenuDelete);
  AddShortcut(kMainWindow, kShortcutShift, VK_DELETE, kMenuClearList);
}

void BuildToolbar() {
  CreateToolbar(kMainWindow);
  AddToolbarButton(kMainWindow, kMenuAddFile, kOpenImage);
  AddToolbarSeparator(kMainWindow);
  AddToolbarButton(kMainWindow, kMenuStart, kStartImage);
  AddToolbarButton(kMainWindow, kMenuStop, kStopImage);
  AddToolbarSeparator(kMainWindow);
  AddToolbarButton(kMainWindow, kMenuOptions, kOptionsImage);
  EnableToolbarButton(kMainWindow, kMenuStop, false);
  SetToolbarCaption(kMainWindow, kMenuAddFile, L"Open");
  SetToolbarCaption(kMainWindow, kMenuStart, L"Start");
  SetToolbarCaption(kMainWindow, kMenuStop, L"Stop");
  SetToolbarCaption(kMainWindow, kMenuOptions, L"Options");
}

void SetToolbarTooltips() {
  SetToolbarTooltip(kMainWindow, kMenuAddFile, L"Add File");
  SetToolbarTooltip(kMainWindow, kMenuStart, L"Calculate");
  SetToolbarTooltip(kMainWindow, kMenuStop, L"Stop");
  SetToolbarTooltip(kMainWindow, kMenuOptions, L"Options");
}

void BuildFileList() {
  std::int32_t top = ToolbarHeight(kMainWindow);
  std::int32_t height = WindowClientHeight(kMainWindow) - top - StatusBarHeight(kMainWindow);
  ListGadget(kFileListGadget, 0, top, kClientWidth, height, L"File", 390,
             kListCheckBoxes | kListFullRowSelect | kListGridLines, FileListModel());
  AddListColumn(kFileListGadget, 1, L"Size", 60);
  AddListColumn(kFileListGadget, 2, L"Hash", 200);
  // To the pixel: the sums above are rounded to 96-DPI units.
  FillBetweenBars(kMainWindow, kFileListGadget);
}

}  // namespace

std::wstring MainWindowTitle() {
  return L"Sumwick " SUMWICK_SHORT_VERSION_WIDE L" Build " + os::DecimalText(SUMWICK_BUILD_NUMBER);
}

bool LoadToolbarImages() {
  bool all = true;
  for (std::size_t button = 0; button < kMainWindowImages.size(); ++button)
    all = LoadIconImage(kMainWindowImages[button], kToolbarIconResources[button], 16) && all;
  return all;
}

bool BuildMainWindow() {
  // The outer size is fixed for a 690 x 320 client area before the menu bar
  // arrives; the menu bar then takes its height out of the client area.
  if (!OpenWindow(kMainWindow, kLeft, kTop, kClientWidth, kClientHeight, MainWindowTitle(), WindowStyle::Main))
    return false;
  FixMinimumSize(kMainWindow);
  BuildMenus();
  BuildToolbar();
  CreatePopupMenuNumber(kListPopupMenu, kEditEntries);
  SetToolbarTooltips();
  CreateStatusBar(kMainWindow, {200, 100}, 18);
  AddStatusProgress(kMainWindow, kProgressField);
  SetStatusText(kMainWindow, kStateField, L"Idle");
  BuildFileList();
  EnableFileDrop(kMainWindow);
  FocusGadget(kFileListGadget);
  return true;
}

void LayOutMainWindow() { FillBetweenBars(kMainWindow, kFileListGadget); }
