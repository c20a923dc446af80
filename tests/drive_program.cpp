// Drives the running program from outside, as a user would, for the
// screenshot script: one command per run. Menu items and gadgets are named as
// the program's headers name them (kMenuStart, kTextDigestCalculateButton),
// so no script repeats a number.
//   drive_program menu MENU                 a menu event to the main window
//   drive_program click TITLE GADGET        presses a button of a window
//   drive_program text TITLE GADGET TEXT    sets a field's text
//   drive_program answer TITLE PATH         answers a file requester with PATH
// Exit code 0 when the window, gadget or requester was found.
#include <windows.h>

#include <cstdint>
#include <cwchar>
#include <string>

#include "app/main_window.h"
#include "windows/file_verifier_window.h"
#include "windows/md5_file_verifier_window.h"
#include "windows/text_digest_window.h"

namespace {

struct Named {
  const wchar_t* name;
  std::int32_t number;
};

#define WIDE(text) L##text
#define NAMED(number) Named{WIDE(#number), number}
// What the screenshot script uses.
const Named kNumbers[] = {
    NAMED(kMenuAddFile),
    NAMED(kMenuStart),
    NAMED(kMenuOptions),
    NAMED(kMenuVerifyMd5File),
    NAMED(kMenuVerifyFile),
    NAMED(kMenuTextToMd5),
    NAMED(kMenuAbout),
    NAMED(kVerifierCheckButton),
    NAMED(kFileVerifierChooseButton),
    NAMED(kFileVerifierChecksumField),
    NAMED(kFileVerifierCheckButton),
    NAMED(kTextDigestEditor),
    NAMED(kTextDigestCalculateButton),
};
#undef NAMED
#undef WIDE

// The number a name stands for; -1 for a name the table lacks.
std::int32_t NumberNamed(const wchar_t* name) {
  for (const Named& named : kNumbers)
    if (wcscmp(named.name, name) == 0) return named.number;
  return -1;
}

// The services number controls 1000 upwards by gadget.
constexpr int kControlIdBase = 1000;

HWND WaitForWindow(const wchar_t* window_class, const wchar_t* title) {
  for (int i = 0; i < 300; ++i) {
    HWND window = FindWindowW(window_class, title);
    if (window && IsWindowVisible(window)) return window;
    Sleep(100);
  }
  return nullptr;
}

BOOL CALLBACK MatchMain(HWND window, LPARAM data) {
  wchar_t name[64] = L"";
  GetClassNameW(window, name, 64);
  if (wcscmp(name, L"SumwickWindow") != 0 || !IsWindowVisible(window) || GetWindow(window, GW_OWNER)) return TRUE;
  *reinterpret_cast<HWND*>(data) = window;
  return FALSE;
}

// The main window: the program's one window that no other owns (its title
// carries the version, which is kept elsewhere).
HWND WaitForMainWindow() {
  for (int i = 0; i < 300; ++i) {
    HWND found = nullptr;
    EnumWindows(MatchMain, reinterpret_cast<LPARAM>(&found));
    if (found) return found;
    Sleep(100);
  }
  return nullptr;
}

struct Search {
  int id;
  const wchar_t* window_class;
  HWND found;
};

BOOL CALLBACK Match(HWND child, LPARAM data) {
  auto* search = reinterpret_cast<Search*>(data);
  wchar_t name[64] = L"";
  GetClassNameW(child, name, 64);
  if ((search->id >= 0 && GetDlgCtrlID(child) != search->id) ||
      (search->window_class && (wcscmp(name, search->window_class) != 0 || !IsWindowVisible(child))))
    return TRUE;
  search->found = child;
  return FALSE;
}

// A control at any depth (gadgets inside a panel are the panel's children).
HWND FindControl(HWND window, int id, const wchar_t* window_class) {
  Search search{id, window_class, nullptr};
  EnumChildWindows(window, Match, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  const std::wstring command = argv[1];
  if (command == L"menu") {
    HWND main = WaitForMainWindow();
    const std::int32_t menu = NumberNamed(argv[2]);
    return menu >= 0 && main && PostMessageW(main, WM_COMMAND, MAKEWPARAM(menu, 0), 0) ? 0 : 1;
  }
  if (argc < 4) return 2;
  if (command == L"answer") {
    HWND dialog = WaitForWindow(L"#32770", argv[2]);
    HWND box = dialog ? FindControl(dialog, -1, L"Edit") : nullptr;
    if (!box) return 1;
    Sleep(300);  // let it finish its own set-up
    SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[3]));
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return 0;
  }
  HWND window = WaitForWindow(L"SumwickWindow", argv[2]);
  const std::int32_t gadget = NumberNamed(argv[3]);
  HWND control = window && gadget >= 0 ? FindControl(window, kControlIdBase + gadget, nullptr) : nullptr;
  if (!control) return 1;
  if (command == L"click") {
    // Posted: the press may open a requester, which would hold a sent message.
    return PostMessageW(control, BM_CLICK, 0, 0) ? 0 : 1;
  }
  if (command == L"text" && argc >= 5) {
    return SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4])) ? 0 : 1;
  }
  return 2;
}
