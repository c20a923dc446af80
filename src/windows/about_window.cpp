// The About window (window 4): picture, name, version, the icons' credit link
// and the thanks line. Only OK closes it.
#include "windows/about_window.h"

#include <windows.h>

#include <shellapi.h>

#include "os/decimal_text.h"
#include "ui/gadget.h"
#include "ui/image.h"
#include "version.h"

namespace {

void AskShellToOpen(const std::wstring& address) {
  // The outcome is not reported: without a browser the window simply stays.
  ShellExecuteW(nullptr, L"OPEN", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

PageOpener g_open_page = AskShellToOpen;

}  // namespace

const wchar_t kIconsPageAddress[] = L"https://sumwick.example/icons";

PageOpener ReplacePageOpener(PageOpener opener) {
  PageOpener before = g_open_page;
  g_open_page = opener ? opener : AskShellToOpen;
  return before;
}

void OpenAboutWindow(const ToolWindowContext& context) {
  if (!OpenToolWindow(kAboutWindow, 240, 175, L"About", WindowStyle::Tool, context)) return;
  LoadIconImage(kAboutImage, kProgramIconResource, 48);
  ImageGadget(kAboutPicture, 10, 10, 48, 48, kAboutImage);
  TextGadget(kAboutName, 70, 10, 160, 20, L"Sumwick", kTextCentred);
  TextGadget(kAboutVersion, 70, 30, 160, 20, L"v." SUMWICK_VERSION_WIDE L" Build " + os::DecimalText(SUMWICK_BUILD_NUMBER), kTextCentred);
  HyperLinkGadget(kAboutLink, 10, 86, 210, 19, kIconsPageAddress, RGB(0, 0, 170), RGB(0, 0, 255));
  TextGadget(kAboutIconsLabel, 10, 72, 70, 13, L"Icons:");
  TextGadget(kAboutThanks, 10, 110, 210, 30,
             L"Thanks to all my friends for helping me out with the GUI-related changes.", kTextWrapped);
  ButtonGadget(kAboutOkButton, 90, 143, 60, 23, L"OK");
  NameGadget(kAboutPicture, L"Sumwick");
  SetDefaultButton(kAboutOkButton);
  // OK, not the link: Enter on the link would open a browser.
  FocusGadget(kAboutOkButton);
  DisableToolWindowOwner(kAboutWindow);
}

void OnAboutWindowEvent(const Event& event) {
  switch (event.gadget) {
    case kAboutLink:
      g_open_page(kIconsPageAddress);
      return;
    case kAboutOkButton:
      CloseToolWindow(kAboutWindow, CloseOrder::EnableOwnerFirst);
      return;
    default:
      return;
  }
}

const std::vector<DispatchRow>& AboutWindowRows() {
  static const std::vector<DispatchRow> rows{
      {kAboutWindow, kEventControl, kAboutLink, kAnyType, nullptr, OnAboutWindowEvent},
      {kAboutWindow, kEventControl, kAboutOkButton, kAnyType, nullptr, OnAboutWindowEvent},
  };
  return rows;
}
