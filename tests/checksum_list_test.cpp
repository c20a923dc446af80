#include "formats/checksum_list.h"

#include <gtest/gtest.h>

#include "formats_test_support.h"
#include "test_files.h"

namespace {

const std::wstring kDigestA = L"0cc175b9c0f1b6a831c399e269772661";
const std::wstring kDigestB = L"92eb5ffee6ae2fec3ad71c777531578f";

TEST(ChecksumListText, TickedHashedRowsInOrder) {
  const std::vector<ChecksumRow> rows = {
      {true, L"a.txt", kDigestA},
      {false, L"unticked.txt", kDigestA},
      {true, L"not yet hashed.txt", L""},
      {true, L"b.txt", kDigestB},
  };
  EXPECT_EQ(ChecksumListText(rows), L"a.txt  " + kDigestA + L"\r\nb.txt  " + kDigestB + L"\r\n");
  EXPECT_EQ(ChecksumListText({{false, L"a.txt", kDigestA}, {true, L"b.txt", L""}}), L"");
  EXPECT_EQ(ChecksumListText({}), L"");
}

TEST(ChecksumListBytes, MarkThenUtf8Lines) {
  const std::vector<ChecksumRow> rows = {{true, L"a.txt", kDigestA}, {true, L"b.txt", kDigestB}};
  const std::string expected = "\xEF\xBB\xBF" "a.txt  0cc175b9c0f1b6a831c399e269772661\r\n"
                               "b.txt  92eb5ffee6ae2fec3ad71c777531578f\r\n";
  EXPECT_EQ(ChecksumListBytes(rows), expected);
  EXPECT_EQ(ChecksumListBytes({}), "\xEF\xBB\xBF") << "no qualifying row: the mark alone";
  EXPECT_EQ(ChecksumListBytes({{true, L"\u00e9\u4e2d.txt", kDigestA}}),
            "\xEF\xBB\xBF\xC3\xA9\xE4\xB8\xAD.txt  0cc175b9c0f1b6a831c399e269772661\r\n");
}

TEST(WithMd5Extension, OnlyTheLastComponentCounts) {
  EXPECT_EQ(WithMd5Extension(L"sums"), L"sums.md5");
  EXPECT_EQ(WithMd5Extension(L"sums.txt"), L"sums.txt.md5");
  EXPECT_EQ(WithMd5Extension(L"sums."), L"sums..md5");
  EXPECT_EQ(WithMd5Extension(L"sums.MD5"), L"sums.MD5");
  EXPECT_EQ(WithMd5Extension(L"sums.md5"), L"sums.md5");
  EXPECT_EQ(WithMd5Extension(L".md5"), L".md5");
  EXPECT_EQ(WithMd5Extension(L"sums.md55"), L"sums.md55.md5");
  EXPECT_EQ(WithMd5Extension(L"sums.xmd5"), L"sums.xmd5.md5");
  EXPECT_EQ(WithMd5Extension(L"dir.md5/sums"), L"dir.md5/sums.md5");
#ifdef _WIN32
  EXPECT_EQ(WithMd5Extension(L"C:\\a.md5\\sums"), L"C:\\a.md5\\sums.md5");
#endif
}

TEST(WriteChecksumList, WritesExactBytesAndReplacesWhole) {
  ScratchFolder folder;
  const std::vector<ChecksumRow> rows = {{true, L"a.txt", kDigestA}, {true, L"b.txt", kDigestB}};
  // An older, longer list must not leave a tail behind.
  const std::wstring path = folder.Write(L"sums.md5", std::string(500, 'x'));
  ASSERT_TRUE(WriteChecksumList(path, rows));
  EXPECT_EQ(FileBytes(path), ChecksumListBytes(rows));
  ASSERT_TRUE(WriteChecksumList(path, rows)) << "saving twice";
  EXPECT_EQ(FileBytes(path), ChecksumListBytes(rows));
  ASSERT_TRUE(WriteChecksumList(folder.PathOf(L"new.md5"), {}));
  EXPECT_EQ(FileBytes(folder.PathOf(L"new.md5")), "\xEF\xBB\xBF");
  EXPECT_EQ(FolderListing(folder.root), "new.md5\nsums.md5\n") << "no temporary file stays behind";

  // A list longer than a piece is written a piece at a time, never splitting
  // a character: each line here starts with one of two UTF-16 units.
  std::vector<ChecksumRow> many;
  for (int k = 0; many.size() * 40 < 3 * kChecksumPieceChars; ++k)
    many.push_back({true, L"\U0001F600" + std::to_wstring(k) + L".jpg", kDigestA});
  ASSERT_TRUE(WriteChecksumList(path, many));
  EXPECT_TRUE(FileBytes(path) == ChecksumListBytes(many)) << "the same bytes as written whole";
}

}  // namespace
