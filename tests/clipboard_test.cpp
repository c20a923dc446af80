// The clipboard's text.
#include "ui_fixture.h"

#include <atomic>
#include <thread>

namespace {

TEST(Clipboard, RoundTripsNonAsciiTextAndReadsEmptyWhenCleared) {
  ASSERT_TRUE(StartUi());
  const std::wstring text = L"Pr\u00fcfsumme \u2713 \u65e5\u672c\r\nzweite Zeile";
  ASSERT_TRUE(SetClipboardText(text));
  EXPECT_EQ(GetClipboardText(), text);
  ASSERT_TRUE(EmptyClipboardNow());
  EXPECT_EQ(GetClipboardText(), L"");
  ASSERT_TRUE(SetClipboardText(L""));
  EXPECT_EQ(GetClipboardText(), L"");
}

// Another thread holds the clipboard while it waits for the window thread, as
// a worker's hand-over does (emptying it sends the old owner, the window
// thread's hidden window, a message): a paste meanwhile serves that message
// and gets the new text.
TEST(Clipboard, APasteWhileTheHolderWaitsForTheWindowThreadGetsItsText) {
  ASSERT_TRUE(StartUi());
  ASSERT_TRUE(SetClipboardText(L"before"));
  const HWND window_thread = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_NE(window_thread, nullptr);
  std::atomic<bool> handed{false};
  std::thread holder([&] {
    const HWND own = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (own && OpenClipboard(own)) {
      EmptyClipboard();
      SendMessageW(window_thread, WM_NULL, 0, 0);
      const ClipboardText text = PrepareClipboardText(L"handed over");
      if (!SetClipboardData(CF_UNICODETEXT, text.memory)) DiscardClipboardText(text);
      CloseClipboard();
    }
    handed.store(true);
    if (own) DestroyWindow(own);
  });
  // Not served here, so the holder keeps the clipboard open.
  for (int waited = 0; waited < 10000 && !GetOpenClipboardWindow() && !handed.load(); ++waited) Sleep(1);
  EXPECT_EQ(GetClipboardText(), L"handed over");
  while (!handed.load()) {
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    Sleep(1);
  }
  holder.join();
  DestroyWindow(window_thread);
}

}  // namespace
