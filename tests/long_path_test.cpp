// Win32 only: the extended-length form that the file calls take paths in.
#include "os/win32/long_path.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

using os::ExtendedLengthPath;
using os::LongPathForm;

// Past MAX_PATH: `prefix` followed by 50-character names.
std::wstring LongPath(const std::wstring& prefix, wchar_t separator = L'\\') {
  std::wstring path = prefix;
  for (int k = 0; k < 6; ++k) path += std::wstring(50, static_cast<wchar_t>(L'a' + k)) + separator;
  return path + L"file.txt";
}

std::wstring Backslashed(std::wstring path) {
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  return path;
}

// The two forms part only on paths the classic API takes as they are and on
// paths that cannot be resolved; past MAX_PATH they give the same.
TEST(ExtendedLengthPath, FormsPartOnlyWhereTheyShould) {
  const LongPathForm both[] = {LongPathForm::kWhenNeeded, LongPathForm::kAlways};

  EXPECT_EQ(ExtendedLengthPath(L"C:/folder/file.txt"), L"C:/folder/file.txt");
  EXPECT_EQ(ExtendedLengthPath(L"C:/folder/file.txt", LongPathForm::kAlways), L"\\\\?\\C:\\folder\\file.txt");

  std::wstring current(MAX_PATH, L'\0');
  current.resize(GetCurrentDirectoryW(MAX_PATH, current.data()));
  ASSERT_FALSE(current.empty());
  if (current.back() != L'\\') current += L'\\';
  EXPECT_EQ(ExtendedLengthPath(L"file.txt"), L"file.txt");
  EXPECT_EQ(ExtendedLengthPath(L"file.txt", LongPathForm::kAlways), L"\\\\?\\" + current + L"file.txt");

  const std::wstring too_long = L"C:\\" + std::wstring(40000, L'x');
  EXPECT_EQ(ExtendedLengthPath(too_long), too_long) << "left to the call it is for to refuse";
  EXPECT_EQ(ExtendedLengthPath(too_long, LongPathForm::kAlways), L"");

  for (const LongPathForm form : both) {
    SCOPED_TRACE(form == LongPathForm::kAlways ? "always" : "when needed");
    EXPECT_EQ(ExtendedLengthPath(L"\\\\?\\C:\\x", form), L"\\\\?\\C:\\x");
    const std::wstring extended = LongPath(L"\\\\?\\C:\\", L'/');
    EXPECT_EQ(ExtendedLengthPath(extended, form), extended) << "taken literally, so left alone";

    EXPECT_EQ(ExtendedLengthPath(LongPath(L"C:/", L'/'), form), Backslashed(LongPath(L"\\\\?\\C:\\")));
    EXPECT_EQ(ExtendedLengthPath(LongPath(L"\\\\server\\share\\"), form), LongPath(L"\\\\?\\UNC\\server\\share\\"));
    EXPECT_EQ(ExtendedLengthPath(LongPath(L"\\\\.\\C:\\"), form), LongPath(L"\\\\?\\C:\\"))
        << "a device path is no server named \".\"";
    EXPECT_EQ(ExtendedLengthPath(LongPath(L""), form), LongPath(L"\\\\?\\" + current));
  }
}

}  // namespace
