#include "windows/text_digest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine_test_support.h"
#include "formats/checksum_list_reader.h"
#include "os/file.h"
#include "test_files.h"

namespace {

constexpr const wchar_t* kAbc = L"900150983cd24fb0d6963f7d28e17f72";

TEST(TextDigest, OverTheCodePageBytes) {
  EXPECT_EQ(DigestOfText(L""), L"d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(DigestOfText(L"abc"), kAbc);
  EXPECT_EQ(DigestOfText(L"a\r\nb"), DigestOfBuffer("a\r\nb", 4));
  // Windows-1252 bytes, not UTF-16 or UTF-8: e-acute is the one byte E9, the euro sign 80.
  EXPECT_EQ(DigestOfText(L"\u00e9\u20ac"), DigestOfBuffer("\xe9\x80", 2));
  // A character the code page lacks is hashed as its stand-in, one byte long.
  EXPECT_EQ(DigestOfText(L"x\u4e2dy"), DigestOfBuffer("x?y", 3));
}

}  // namespace
