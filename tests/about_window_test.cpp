// The About window: picture, name, version, the credits link and OK.
#include "tool_window_test_support.h"

namespace {

std::vector<std::wstring> g_opened_pages;
void RecordPage(const std::wstring& address) { g_opened_pages.push_back(address); }

// A press and a release of the left button on the link, at client points.
void PressAndRelease(HWND link, POINT press, POINT release) {
  SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(press.x, press.y));
  SendMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(release.x, release.y));
  Serve(50);
}

// Whether the link shows a pixel of exactly `color` (its underline at least).
bool LinkShows(COLORREF color) {
  HWND link = GadgetHandle(103);
  RedrawWindow(link, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  HDC dc = GetDC(link);
  bool seen = false;
  for (int y = 0; y < 19 && !seen; ++y)
    for (int x = 0; x < 210 && !seen; ++x) seen = GetPixel(dc, x, y) == color;
  ReleaseDC(link, dc);
  return seen;
}

TEST_F(ToolWindowsTest, AboutShowsIconNameVersionLinkAndThanks) {
  Menu(kMenuAbout);
  ASSERT_TRUE(IsWindowOpen(4));
  ExpectToolWindow(4, L"About", 240, 175, false);
  ExpectGadgets(WindowHandle(4),
                {{100, L"Static", 10, 10, 48, 48, L""},
                 {101, L"Static", 70, 10, 160, 20, L"Sumwick"},
                 {102, L"Static", 70, 30, 160, 20, L"v.0.5.0 Build 284"},
                 {103, L"SumwickHyperLink", 10, 86, 210, 19, kIconsPageAddress},
                 {104, L"Static", 10, 72, 70, 13, L"Icons:"},
                 {105, L"Static", 10, 110, 210, 30,
                  L"Thanks to all my friends for helping me out with the GUI-related changes."},
                 {106, L"Button", 90, 143, 60, 23, L"OK"}});
  EXPECT_EQ(Style(101) & SS_TYPEMASK, SS_CENTER);
  EXPECT_EQ(Style(102) & SS_TYPEMASK, SS_CENTER);
  EXPECT_EQ(Style(104) & SS_TYPEMASK, SS_LEFTNOWORDWRAP);
  EXPECT_EQ(Style(105) & SS_TYPEMASK, SS_LEFT);
  EXPECT_EQ(Style(100) & SS_TYPEMASK, SS_ICON);

  const IconImageSize picture =
      SizeOfIcon(reinterpret_cast<HICON>(SendMessageW(GadgetHandle(100), STM_GETICON, 0, 0)));
  EXPECT_EQ(picture.width, 48);
  EXPECT_EQ(picture.height, 48);
  EXPECT_EQ(picture.bits, 32);

  EXPECT_TRUE(LinkShows(RGB(0, 0, 170)));
  EXPECT_FALSE(LinkShows(RGB(0, 0, 255)));
  SendMessageW(GadgetHandle(103), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_TRUE(LinkShows(RGB(0, 0, 255))) << "under the pointer";
  SendMessageW(GadgetHandle(103), WM_MOUSELEAVE, 0, 0);
  EXPECT_TRUE(LinkShows(RGB(0, 0, 170)));

  CloseSteps order(4);
  RequestClose(4);
  EXPECT_TRUE(IsWindowOpen(4)) << "About closes only through OK";
  Click(106);
  EXPECT_FALSE(IsWindowOpen(4));
  EXPECT_TRUE(IsWindowEnabled(Main()));
  EXPECT_EQ(order.steps, (std::vector<std::string>{"enable main", "destroy"}));
}

TEST_F(ToolWindowsTest, AboutPictureIsTheProgramIconsOwn48PixelImage) {
  const HICON stored = StoredIconImage(kProgramIconResource, 48);
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(SizeOfIcon(stored).bits, 32);
  Menu(kMenuAbout);
  ASSERT_TRUE(IsWindowOpen(4));
  const auto shown = reinterpret_cast<HICON>(SendMessageW(GadgetHandle(100), STM_GETICON, 0, 0));
  const std::vector<std::uint32_t> pixels = IconPixels(shown);
  ASSERT_EQ(pixels.size(), 2u * 48 * 48);
  EXPECT_LT(std::count(pixels.begin(), pixels.begin() + 48 * 48, 0u), 48 * 48) << "a picture, not a blank";
  EXPECT_EQ(pixels, IconPixels(stored));
  DestroyIcon(stored);
  Click(106);
}

TEST_F(ToolWindowsTest, AboutLinkAsksTheShellOncePerClickOnTheLinkOnly) {
  g_opened_pages.clear();
  PageOpener shell = ReplacePageOpener(RecordPage);
  Menu(kMenuAbout);
  ASSERT_TRUE(IsWindowOpen(4));
  HWND link = GadgetHandle(103);
  PressAndRelease(link, {5, 5}, {5, 5});
  EXPECT_EQ(g_opened_pages, std::vector<std::wstring>{kIconsPageAddress});
  PressAndRelease(link, {20, 8}, {40, 10});
  EXPECT_EQ(g_opened_pages.size(), 2u);
  // Pressed on the link, released off it: nothing.
  PressAndRelease(link, {5, 5}, {5, 60});
  PressAndRelease(link, {5, 5}, {400, 5});
  EXPECT_EQ(g_opened_pages.size(), 2u);
  EXPECT_TRUE(IsWindowOpen(4));
  Click(106);
  ReplacePageOpener(shell);
}

}  // namespace
