// The text digest window: the digest of a typed or pasted text, copied on request.
#include "tool_window_test_support.h"

namespace {

TEST_F(ToolWindowsTest, TextDigestWindowIsBuiltEmpty) {
  Menu(kMenuTextToMd5);
  ASSERT_TRUE(IsWindowOpen(5));
  ExpectToolWindow(5, L"Text to MD5", 441, 251, true);
  ExpectGadgets(WindowHandle(5), {{20, L"Edit", 10, 10, 420, 140, L""},
                                  {21, L"Button", 10, 150, 420, 50, L"Result"},
                                  {22, L"Edit", 20, 170, 340, 20, L""},
                                  {23, L"Button", 370, 170, 50, 20, L"copy"},
                                  {24, L"Button", 350, 210, 80, 30, L"Calculate"},
                                  {25, L"Button", 260, 210, 80, 30, L"Paste"}});
  const LONG editor = Style(20);
  EXPECT_TRUE(editor & ES_MULTILINE);
  EXPECT_TRUE(editor & WS_VSCROLL);
  EXPECT_TRUE(editor & WS_HSCROLL);
  EXPECT_TRUE(editor & ES_WANTRETURN);
  EXPECT_EQ(Style(21) & BS_TYPEMASK, BS_GROUPBOX);
  EXPECT_TRUE(Style(22) & ES_READONLY);
  EXPECT_FALSE(Style(22) & WS_BORDER);
  EXPECT_FALSE(GetWindowLongW(GadgetHandle(22), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  CloseSteps order(5);
  RequestClose(5);
  EXPECT_FALSE(IsWindowOpen(5));
  EXPECT_EQ(order.steps, (std::vector<std::string>{"enable main", "destroy"}));
}

TEST_F(ToolWindowsTest, TextDigestIsOverTheTypedTextInTheCodePage) {
  Menu(kMenuTextToMd5);
  ASSERT_TRUE(IsWindowOpen(5));
  Click(24);
  EXPECT_EQ(Text(22), L"d41d8cd98f00b204e9800998ecf8427e");
  Type(20, L"abc");
  Click(24);
  EXPECT_EQ(Text(22), L"900150983cd24fb0d6963f7d28e17f72");
  // Enter in the editor: the line break is hashed as CR LF.
  SetWindowTextW(GadgetHandle(20), L"");
  Type(20, L"a\rb");
  EXPECT_EQ(Text(20), L"a\r\nb");
  Click(24);
  EXPECT_EQ(Text(22), L"65d5f03c46e62e3f2babbe712d2ce464");

  // Characters outside the code page take its stand-ins: the digest is over
  // the converted bytes, whatever their number, never over UTF-16 or UTF-8.
  const std::wstring mixed = L"caf\u00e9 \u20ac \u0100\u4e2d\u05d0";
  SetWindowTextW(GadgetHandle(20), mixed.c_str());
  Click(24);
  const int length = WideCharToMultiByte(CP_ACP, 0, mixed.c_str(), static_cast<int>(mixed.size()), nullptr, 0,
                                         nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, 0, mixed.c_str(), static_cast<int>(mixed.size()), bytes.data(), length, nullptr,
                      nullptr);
  EXPECT_EQ(Narrow(Text(22)), DigestOf(bytes));
  EXPECT_NE(Text(22), DigestOfBuffer(mixed.data(), static_cast<std::int32_t>(mixed.size() * sizeof(wchar_t))));
  EXPECT_NE(Text(22), L"f0c3fd3a4ad91e3a9e4a9fd08c6de8b5");
  if (GetACP() == 1252) {
    SetWindowTextW(GadgetHandle(20), L"caf\u00e9 \u20ac");
    Click(24);
    EXPECT_EQ(Text(22), L"22601339bb7cc8fb5075ec9b37704e30") << "the bytes 'caf', E9, ' ', 80";
  }
}

TEST_F(ToolWindowsTest, TextDigestCopiesOnlyADigestAndPasteReplacesTheText) {
  Menu(kMenuTextToMd5);
  ASSERT_TRUE(IsWindowOpen(5));
  SetClipboardText(L"left alone");
  Click(23);
  EXPECT_EQ(GetClipboardText(), L"left alone") << "copy before Calculate";
  Type(20, L"abc");
  Click(24);
  Click(23);
  EXPECT_EQ(GetClipboardText(), L"900150983cd24fb0d6963f7d28e17f72");

  SetClipboardText(L"pasted");
  Click(25);
  EXPECT_EQ(Text(20), L"pasted") << "Paste replaces, it does not insert";
  EXPECT_EQ(Text(22), L"900150983cd24fb0d6963f7d28e17f72") << "the result is that of the last Calculate";
  EmptyClipboardNow();
  Click(25);
  EXPECT_EQ(Text(20), L"");

  RequestClose(5);
  Menu(kMenuTextToMd5);
  EXPECT_EQ(Text(20), L"");
  EXPECT_EQ(Text(22), L"");
}

}  // namespace
