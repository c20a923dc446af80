#include "os/path_text.h"

#include <gtest/gtest.h>

namespace {

TEST(FileNamePart, TextAfterTheLastSeparator) {
  EXPECT_EQ(os::FileNamePart(L"/home/x/y"), L"y");
  EXPECT_EQ(os::FileNamePart(L"plain"), L"plain");
#ifdef _WIN32
  EXPECT_EQ(os::FileNamePart(L"C:\\a\\b.txt"), L"b.txt");
  EXPECT_EQ(os::FileNamePart(L"C:\\a/b\\c"), L"c");
  EXPECT_EQ(os::FileNamePart(L"C:\\folder\\"), L"");
#else
  EXPECT_EQ(os::FileNamePart(L"/a/b\\c"), L"b\\c") << "a backslash is part of a name";
  EXPECT_EQ(os::FileNamePart(L"/folder/"), L"");
#endif
}

}  // namespace
