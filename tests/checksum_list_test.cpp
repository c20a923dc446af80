#include "formats/checksum_list.h"

#include <gtest/gtest.h>

#include "checksum_list_helpers.h"
#include "formats_test_support.h"
#include "test_files.h"

namespace {

const std::wstring kDigestA = L"0cc175b9c0f1b6a831c399e269772661";
const std::wstring kDigestB = L"92eb5ffee6ae2fec3ad71c777531578f";

// A list is the mark, then each line as "name  digest" and CR LF in UTF-8,
// whatever pieces it was handed in.
TEST(WriteChecksumListPieces, MarkThenUtf8Lines) {
  ScratchFolder folder;
  const std::wstring path = folder.PathOf(L"sums.md5");
  std::vector<std::wstring> pieces(2);
  AppendChecksumLine(&pieces[0], L"a.txt", kDigestA);
  AppendChecksumLine(&pieces[0], L"b.txt", kDigestB);
  AppendChecksumLine(&pieces[1], L"\u00e9\u4e2d.txt", kDigestA);
  std::size_t next = 0;
  ASSERT_TRUE(WriteChecksumListPieces(path, [&](std::wstring* lines) {
    if (next == pieces.size()) return false;
    *lines = pieces[next++];
    return true;
  }));
  EXPECT_EQ(FileBytes(path), "\xEF\xBB\xBF" "a.txt  0cc175b9c0f1b6a831c399e269772661\r\n"
                             "b.txt  92eb5ffee6ae2fec3ad71c777531578f\r\n"
                             "\xC3\xA9\xE4\xB8\xAD.txt  0cc175b9c0f1b6a831c399e269772661\r\n");
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

TEST(WriteChecksumListPieces, WritesExactBytesAndReplacesWhole) {
  ScratchFolder folder;
  const std::vector<ShownRow> rows = {{true, L"a.txt", kDigestA}, {true, L"b.txt", kDigestB}};
  // An older, longer list must not leave a tail behind.
  const std::wstring path = folder.Write(L"sums.md5", std::string(500, 'x'));
  ASSERT_TRUE(WriteListOf(path, rows));
  EXPECT_EQ(FileBytes(path), ListBytesOf(rows));
  ASSERT_TRUE(WriteListOf(path, rows)) << "saving twice";
  EXPECT_EQ(FileBytes(path), ListBytesOf(rows));
  ASSERT_TRUE(WriteListOf(folder.PathOf(L"new.md5"), {}));
  EXPECT_EQ(FileBytes(folder.PathOf(L"new.md5")), "\xEF\xBB\xBF");
  EXPECT_EQ(FolderListing(folder.root), "new.md5\nsums.md5\n") << "no temporary file stays behind";

  // A list longer than a piece is written a piece at a time, never splitting
  // a character: each line here starts with one of two UTF-16 units.
  std::vector<ShownRow> many;
  for (int k = 0; many.size() * 40 < 3 * kChecksumPieceChars; ++k)
    many.push_back({true, L"\U0001F600" + std::to_wstring(k) + L".jpg", kDigestA});
  ASSERT_TRUE(WriteListOf(path, many));
  EXPECT_TRUE(FileBytes(path) == ListBytesOf(many)) << "the same bytes as written whole";
}

}  // namespace
