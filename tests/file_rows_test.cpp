#include "app/file_rows.h"

#include <gtest/gtest.h>

namespace {

RowId AddFile(FileRows& rows, const std::wstring& path, std::int64_t size, bool ticked = true) {
  return AppendRow(rows, FileEntry{path, size}, ticked);
}

TEST(FileRows, IdsFollowListOrderAcrossRemovals) {
  FileRows rows;
  const RowId a = AddFile(rows, L"a", 1), b = AddFile(rows, L"b", 2), c = AddFile(rows, L"a", 1);
  EXPECT_LT(a, b);
  EXPECT_LT(b, c);
  EXPECT_EQ(RowIndex(rows, c), 2);
  EXPECT_TRUE(RemoveRow(rows, a));
  EXPECT_FALSE(RemoveRow(rows, a));
  EXPECT_EQ(RowIndex(rows, c), 1);
  EXPECT_EQ(RowIndex(rows, a), -1);
  FileRow row;
  ASSERT_TRUE(NextRow(rows, a, &row)) << "the row after a deleted one is still found";
  EXPECT_EQ(row.id, b);
  ASSERT_TRUE(RowAt(rows, 1, &row));
  EXPECT_EQ(row.entry.path, L"a") << "same path twice keeps its own row";
  SetRowTicked(rows, 1, false);  // c, now second
  ASSERT_TRUE(NextRow(rows, b, &row));
  EXPECT_FALSE(row.ticked);
  ClearRows(rows);
  EXPECT_EQ(RowCount(rows), 0u);
  EXPECT_GT(AddFile(rows, L"d", 0), c) << "ids are never reused";
}

}  // namespace
