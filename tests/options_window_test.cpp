// The Options window: the two settings, stored only through OK.
#include "tool_window_test_support.h"

namespace {

// Runs the test body in a scratch working directory, where settings.ini lives.
struct InScratchFolder {
  ScratchFolder scratch;
  std::wstring before;
  InScratchFolder() {
    wchar_t folder[MAX_PATH] = L"";
    GetCurrentDirectoryW(MAX_PATH, folder);
    before = folder;
    SetCurrentDirectoryW(scratch.root.wstring().c_str());
  }
  ~InScratchFolder() { SetCurrentDirectoryW(before.c_str()); }
  std::wstring SettingsPath() const { return scratch.PathOf(L"settings.ini"); }
};

std::string FileBytes(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "(none)";
  std::string bytes(4096, '\0');
  DWORD read = 0;
  ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  CloseHandle(file);
  bytes.resize(read);
  return bytes;
}

bool Ticked(std::int32_t gadget) { return SendMessageW(GadgetHandle(gadget), BM_GETCHECK, 0, 0) == BST_CHECKED; }

COLORREF StripeColour(int row) { return RGB(0, 0, row & 0xFF); }

// The panel's body drawn as one colour per row.
LRESULT CALLBACK StripedBody(HWND panel, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR) {
  if (message != WM_PRINTCLIENT) return DefSubclassProc(panel, message, wparam, lparam);
  RECT client{};
  GetClientRect(panel, &client);
  for (int row = 0; row < client.bottom; ++row) {
    HBRUSH brush = CreateSolidBrush(StripeColour(row));
    const RECT line{0, row, client.right, row + 1};
    FillRect(reinterpret_cast<HDC>(wparam), &line, brush);
    DeleteObject(brush);
  }
  return 0;
}

TEST_F(ToolWindowsTest, OptionsShowsTheSettingsInMemoryInItsPanel) {
  TheProgram().settings = Settings{1, 0};
  Menu(kMenuOptions);
  ASSERT_TRUE(IsWindowOpen(1));
  ExpectToolWindow(1, L"Options", 370, 200, false);
  ExpectGadgets(WindowHandle(1), {{1, L"Button", 210, 165, 70, 22, L"OK"},
                                  {2, L"Button", 290, 165, 70, 22, L"Cancel"},
                                  {4, L"SysTabControl32", 10, 10, 350, 145, L""}});
  ExpectGadgets(GadgetHandle(4),
                {{3, L"Button", 10, 5, 320, 20, L"Automatically put checkbox on files, right after they're added"},
                 {5, L"Button", 10, 25, 320, 20, L"Higher threads priority (more CPU cycles for the calculation)"}});
  EXPECT_EQ(Style(3) & BS_TYPEMASK, BS_AUTOCHECKBOX);
  EXPECT_EQ(Style(5) & BS_TYPEMASK, BS_AUTOCHECKBOX);
  EXPECT_FALSE(Ticked(3));
  EXPECT_TRUE(Ticked(5));
  EXPECT_EQ(SendMessageW(GadgetHandle(4), TCM_GETITEMCOUNT, 0, 0), 0);
  // The boxes paint on the panel's body, not in the window's face colour
  // (under a visual style the two differ): above a box's text as below it.
  RedrawWindow(WindowHandle(1), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  for (std::int32_t box : {3, 5}) {
    HDC box_dc = GetDC(GadgetHandle(box));
    HDC panel_dc = GetDC(GadgetHandle(4));
    EXPECT_EQ(GetPixel(box_dc, 200, 1), GetPixel(panel_dc, 200, 100)) << box;
    ReleaseDC(GadgetHandle(4), panel_dc);
    ReleaseDC(GadgetHandle(box), box_dc);
  }

  // A body of one colour per row shows that each box paints the part of the
  // body behind it, not the body's top rows.
  HWND panel = GadgetHandle(4);
  ASSERT_TRUE(SetWindowSubclass(panel, StripedBody, 99, 0));
  RECT body{};
  GetClientRect(panel, &body);
  SetWindowPos(panel, nullptr, 0, 0, body.right, body.bottom + 1, SWP_NOMOVE | SWP_NOZORDER);  // made anew
  RedrawWindow(WindowHandle(1), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  for (std::int32_t box : {3, 5}) {
    RECT place{};
    GetWindowRect(GadgetHandle(box), &place);
    MapWindowPoints(nullptr, panel, reinterpret_cast<POINT*>(&place), 2);
    HDC box_dc = GetDC(GadgetHandle(box));
    EXPECT_EQ(GetPixel(box_dc, 200, 1), StripeColour(place.top + 1)) << box;
    ReleaseDC(GadgetHandle(box), box_dc);
  }
  RemoveWindowSubclass(panel, StripedBody, 99);

  RequestClose(1);
  EXPECT_TRUE(IsWindowOpen(1)) << "Options closes only through its buttons";
}

TEST_F(ToolWindowsTest, OptionsCancelChangesNothingAndCreatesNoFile) {
  InScratchFolder folder;
  TheProgram().settings = Settings{0, 1};
  Menu(kMenuOptions);
  ASSERT_TRUE(IsWindowOpen(1));
  Click(3);
  Click(5);
  EXPECT_FALSE(Ticked(3));
  EXPECT_TRUE(Ticked(5));
  CloseSteps order(1);
  Click(2);
  EXPECT_FALSE(IsWindowOpen(1));
  EXPECT_TRUE(IsWindowEnabled(Main()));
  EXPECT_EQ(order.steps, (std::vector<std::string>{"destroy", "enable main"}));
  EXPECT_EQ(TheProgram().settings.thread_higher, 0);
  EXPECT_EQ(TheProgram().settings.auto_check, 1);
  EXPECT_EQ(GetFileAttributesW(folder.SettingsPath().c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(ToolWindowsTest, OptionsOkWritesTheFileAndReadsItBack) {
  InScratchFolder folder;
  TheProgram().settings = Settings{0, 1};
  Menu(kMenuOptions);
  CloseSteps order(1);
  Click(1);  // unchanged: written all the same
  EXPECT_FALSE(IsWindowOpen(1));
  EXPECT_EQ(order.steps, (std::vector<std::string>{"destroy", "enable main"}));
  EXPECT_EQ(FileBytes(folder.SettingsPath()), "\xEF\xBB\xBF\r\n[hash]\r\nthread.higher = 0\r\nauto.check = 1\r\n");

  Menu(kMenuOptions);
  Click(3);
  Click(5);
  Click(1);
  EXPECT_EQ(FileBytes(folder.SettingsPath()), "\xEF\xBB\xBF\r\n[hash]\r\nthread.higher = 1\r\nauto.check = 0\r\n");
  EXPECT_EQ(TheProgram().settings.thread_higher, 1);
  EXPECT_EQ(TheProgram().settings.auto_check, 0);

  // What the file holds is what OK leaves in memory: a hand-set 7 shows
  // ticked and is written back as 1.
  folder.scratch.Write(L"settings.ini", "[hash]\r\nauto.check = 7\r\n");
  LoadProgramSettings();
  Menu(kMenuOptions);
  EXPECT_TRUE(Ticked(3));
  EXPECT_FALSE(Ticked(5));
  Click(1);
  EXPECT_EQ(FileBytes(folder.SettingsPath()), "\xEF\xBB\xBF\r\n[hash]\r\nthread.higher = 0\r\nauto.check = 1\r\n");
  EXPECT_EQ(TheProgram().settings.auto_check, 1);
  EXPECT_TRUE(IsWindowEnabled(Main()));
}

TEST_F(ToolWindowsTest, OptionsOkWithAFileThatCannotBeWrittenClosesAndKeepsWhatTheFileHolds) {
  InScratchFolder folder;
  const std::string held = "[hash]\r\nthread.higher = 1\r\nauto.check = 0\r\n";
  const std::wstring path = folder.scratch.Write(L"settings.ini", held);
  ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
  LoadProgramSettings();
  Menu(kMenuOptions);
  Click(3);
  Click(5);
  Click(1);
  const std::string after = FileBytes(path);
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_FALSE(IsWindowOpen(1));
  EXPECT_TRUE(IsWindowEnabled(Main()));
  EXPECT_EQ(after, held);
  EXPECT_EQ(TheProgram().settings.thread_higher, 1);
  EXPECT_EQ(TheProgram().settings.auto_check, 0);
}

// The open requester as Windows may show it: the current folder follows the
// chosen file, OFN_NOCHANGEDIR or not.
bool g_dialog_moved_folder = false;
BOOL WINAPI OpenDialogThatMovesTheFolder(OPENFILENAMEW* request) {
  const BOOL chosen = GetOpenFileNameW(request);
  if (chosen) {
    const std::wstring folder(request->lpstrFile, request->nFileOffset);
    g_dialog_moved_folder = SetCurrentDirectoryW(folder.c_str()) != FALSE;
  }
  return chosen;
}

TEST_F(ToolWindowsTest, AFileChosenInAnotherFolderLeavesTheSettingsFileWhereItWas) {
  InScratchFolder folder;
  ScratchFolder elsewhere;
  const std::string bytes = PatternBytes(100, 1);
  const std::wstring file = elsewhere.Write(L"file.bin", bytes);
  const std::wstring list = elsewhere.Write(L"files.md5", ListFile({{"file.bin", DigestOf(bytes)}}));
  const OpenDialog dialog = ReplaceOpenDialog(OpenDialogThatMovesTheFolder);
  for (const auto& [menu, chosen] : {std::pair{kMenuAddFile, file}, std::pair{kMenuVerifyMd5File, list}}) {
    DeleteFileW(folder.SettingsPath().c_str());
    g_dialog_moved_folder = false;
    MenuWithRequester(menu, L"Open", chosen);
    EXPECT_TRUE(g_dialog_moved_folder) << menu;
    if (IsWindowOpen(2)) RequestClose(2);
    Menu(kMenuOptions);
    Click(1);
    EXPECT_NE(FileBytes(folder.SettingsPath()), "(none)") << menu;
    EXPECT_EQ(FileBytes(elsewhere.PathOf(L"settings.ini")), "(none)") << menu;
  }
  ReplaceOpenDialog(dialog);
}

}  // namespace
