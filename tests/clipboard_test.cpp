// The clipboard's text.
#include "ui_fixture.h"

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

}  // namespace
