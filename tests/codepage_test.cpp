#include "os/codepage.h"

#include <gtest/gtest.h>

namespace {

TEST(Codepage, Utf8RoundTrip) {
  const std::string bytes = "a\xc3\xa9\xe2\x82\xac\xe4\xb8\xad";  // a é € 中
  const std::wstring text = os::Utf8ToWide(bytes);
  EXPECT_EQ(text, L"a\u00e9\u20ac\u4e2d");
  EXPECT_EQ(os::WideToUtf8(text), bytes);
  EXPECT_EQ(os::Utf8ToWide(""), L"");
  EXPECT_EQ(os::WideToUtf8(L""), "");
  // Each length's first and last character.
  const std::string edges = "\x7f\xc2\x80\xdf\xbf\xe0\xa0\x80\xef\xbf\xbf\xf0\x90\x80\x80";
  EXPECT_EQ(os::WideToUtf8(L"\u007f\u0080\u07ff\u0800\uffff\U00010000"), edges);
  EXPECT_EQ(os::Utf8ToWide(edges), L"\u007f\u0080\u07ff\u0800\uffff\U00010000");
}

TEST(Codepage, Utf8OutsideTheBasicPlane) {
  const std::string bytes = "\xf0\x9f\x98\x80";  // U+1F600
  const std::wstring text = os::Utf8ToWide(bytes);
  EXPECT_EQ(os::WideToUtf8(text), bytes);
  EXPECT_EQ(text.size(), sizeof(wchar_t) == 2 ? 2u : 1u);
}

TEST(Codepage, MalformedUtf8BecomesReplacementCharacters) {
  EXPECT_EQ(os::Utf8ToWide("a\xff" "b"), L"a\ufffd" L"b");
  EXPECT_EQ(os::Utf8ToWide("a\x80"), L"a\ufffd");
  EXPECT_EQ(os::Utf8ToWide("\xc3"), L"\ufffd") << "truncated at the end";
  EXPECT_EQ(os::Utf8ToWide(std::string_view("\xc3\xa9", 1)), L"\ufffd") << "the end of the text, not of its memory";
  EXPECT_EQ(os::Utf8ToWide("\xe2\x82" "x"), L"\ufffd" L"x") << "truncated before a plain byte";
  const std::wstring overlong = os::Utf8ToWide("\xc0\xaf");
  EXPECT_EQ(overlong.find(L'/'), std::wstring::npos) << "an overlong slash must not decode";
  const std::wstring surrogate = os::Utf8ToWide("\xed\xa0\x80");
  for (wchar_t c : surrogate) EXPECT_EQ(c, L'\ufffd');
  // The edges of what may be encoded: the last character, and around the
  // surrogates.
  EXPECT_EQ(os::Utf8ToWide("\xf4\x8f\xbf\xbf"), L"\U0010FFFF");
  EXPECT_EQ(os::WideToUtf8(L"\U0010FFFF"), "\xf4\x8f\xbf\xbf");
  EXPECT_EQ(os::Utf8ToWide("\xf4\x90\x80\x80").find_first_not_of(L'\ufffd'), std::wstring::npos) << "past U+10FFFF";
  EXPECT_EQ(os::Utf8ToWide("\xed\x9f\xbf\xee\x80\x80"), L"\ud7ff\ue000");
}

TEST(Codepage, Utf16Surrogates) {
  EXPECT_EQ(os::Utf16ToWide(u"a\u00e9\u4e2d"), L"a\u00e9\u4e2d");
  EXPECT_EQ(os::Utf16ToWide(u""), L"");
  EXPECT_EQ(os::Utf16ToWide(u"\U0001F600"), L"\U0001F600") << "a pair is one character";
  EXPECT_EQ(os::Utf16ToWide(u"\U0010FFFF\U00010000"), L"\U0010FFFF\U00010000") << "the first and last pairs";
#ifndef _WIN32
  const char16_t high_then_private_use[] = {0xD800, 0xE000};
  EXPECT_EQ(os::Utf16ToWide(std::u16string_view(high_then_private_use, 2)), L"\ufffd\ue000") << "U+E000 is no low half";
#endif
  EXPECT_EQ(os::WideToUtf8(std::wstring(1, static_cast<wchar_t>(0xD800))), "\xef\xbf\xbd") << "a lone high half";
  EXPECT_EQ(os::WideToUtf8(std::wstring(1, static_cast<wchar_t>(0xDFFF))), "\xef\xbf\xbd") << "a lone low half";
  const char16_t unpaired[] = {0xD83D, u'x', 0xDE00, 0xDE00, 0xDC00, 0xDC00, 0xD83D, 0xD83D};
  const std::wstring text = os::Utf16ToWide(std::u16string_view(unpaired, 8));
#ifdef _WIN32
  EXPECT_EQ(text, std::wstring(unpaired, unpaired + 8)) << "kept as they are";
#else
  EXPECT_EQ(text, L"\ufffdx\ufffd\ufffd\ufffd\ufffd\ufffd\ufffd") << "every half without its partner, the last unit too";
#endif
}

TEST(Codepage, AnsiIsWindows1252Here) {
  // Wine's default and the POSIX stand-in are both Windows-1252.
  EXPECT_EQ(os::AnsiToWide("a\x80\xe9\x9f\xff"), L"a\u20ac\u00e9\u0178\u00ff");
  EXPECT_EQ(os::WideToAnsi(L"a\u20ac\u00e9\u0178\u00ff"), "a\x80\xe9\x9f\xff");
  EXPECT_EQ(os::WideToAnsi(L"\u4e2d"), "?");
  // The row where Windows-1252 differs from Latin-1; its five holes map to
  // the C1 controls of the same number.
  const std::wstring row = L"\u20ac\u0081\u201a\u0192\u201e\u2026\u2020\u2021\u02c6\u2030\u0160\u2039\u0152\u008d\u017d\u008f"
                           L"\u0090\u2018\u2019\u201c\u201d\u2022\u2013\u2014\u02dc\u2122\u0161\u203a\u0153\u009d\u017e\u0178";
  std::string row_bytes;
  for (int b = 0x80; b <= 0x9F; ++b) row_bytes += static_cast<char>(b);
  EXPECT_EQ(os::AnsiToWide(row_bytes), row);
  EXPECT_EQ(os::AnsiToWide(""), L"");
  for (int b = 1; b < 256; ++b) {
    const std::string byte(1, static_cast<char>(b));
    const std::wstring wide = os::AnsiToWide(byte);
    ASSERT_EQ(wide.size(), 1u) << b;
    EXPECT_EQ(os::WideToAnsi(wide), byte) << "byte " << b << " survives the round trip";
  }
}

}  // namespace
