#include "app/file_rows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "checksum_list_helpers.h"
#include "failing_allocation.h"

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
  FileRowCopy row;
  ASSERT_TRUE(NextRow(rows, a, &row)) << "the row after a deleted one is still found";
  EXPECT_EQ(row.id, b);
  ASSERT_TRUE(RowAt(rows, 1, &row));
  EXPECT_EQ(row.entry.path, L"a") << "same path twice keeps its own row";
  // What a run still has to read: the ticked rows' sizes after a row.
  EXPECT_EQ(TickedBytesAfter(rows, kNoRow), 3);
  EXPECT_EQ(TickedBytesAfter(rows, b), 1);
  SetRowTicked(rows, 1, false);  // c, now second
  ASSERT_TRUE(NextRow(rows, b, &row));
  EXPECT_FALSE(row.ticked);
  EXPECT_EQ(TickedBytesAfter(rows, kNoRow), 2) << "an unticked row is not read";
  ClearRows(rows);
  EXPECT_EQ(RowCount(rows), 0u);
  EXPECT_GT(AddFile(rows, L"d", 0), c) << "ids are never reused";
}

// Rows kept by folder and name, the digest as bytes: every column, the copied
// out path and the list's text read as they were written, whatever the path.
TEST(FileRows, EveryKindOfRowReadsAsWritten) {
  FileRows rows;
  const std::wstring digest = L"0123456789abcdef0123456789abcdef";
  const std::vector<std::wstring> paths{
      L"/top/f.txt", L"/top/sub/g", L"/top/h.txt", L"/top/sub/\u00e9t\u00e9 \u4e2d.txt", L"/root-file",
      L"/top/sub/", L"/top/" + std::wstring(300, L'n'), L"relative"};
  std::vector<ShownRow> expected;
  for (std::size_t k = 0; k < paths.size(); ++k) {
    const RowId id = AddFile(rows, paths[k], static_cast<std::int64_t>(k) * 1000, k != 2);
    if (k % 4 != 3) {
      EXPECT_TRUE(SetRowHash(rows, id, digest));
    }
    const std::wstring name = paths[k].substr(paths[k].find_last_of(L'/') == std::wstring::npos ? 0 : paths[k].find_last_of(L'/') + 1);
    expected.push_back(ShownRow{k != 2, name, k % 4 != 3 ? digest : L""});
  }
  const std::shared_ptr<ListSnapshot> taken = TakeListSnapshot(rows);
  ASSERT_TRUE(taken);
  ListSnapshot& listed = *taken;
  for (std::size_t k = 0; k < paths.size(); ++k) {
    FileRowCopy row;
    ASSERT_TRUE(RowAt(rows, k, &row));
    EXPECT_EQ(row.entry.path, paths[k]);
    EXPECT_EQ(row.entry.size, static_cast<std::int64_t>(k) * 1000);
    EXPECT_EQ(row.hash, expected[k].hash);
    EXPECT_EQ(RowCell(rows, k, kFileColumn), expected[k].name) << k;
    EXPECT_EQ(RowCell(rows, k, kHashColumn), expected[k].hash) << k;
  }
  EXPECT_EQ(SnapshotText(listed), ListTextOf(expected));
  // A save takes the same lines a piece at a time.
  std::wstring pieces;
  std::size_t next = 0;
  int count = 0;
  for (std::wstring piece; AppendSnapshotLines(listed, &next, 60, &piece); piece.clear(), ++count) pieces += piece;
  EXPECT_EQ(pieces, ListTextOf(expected));
  EXPECT_GT(count, 1);
  // What was taken stays as it was, whatever becomes of the rows; once its
  // names are its own it keeps none of their store, which Clear list gives back.
  const std::weak_ptr<FileRowStore> store = rows.store;
  OwnSnapshotNames(listed);
  ClearRows(rows);
  EXPECT_TRUE(store.expired());
  EXPECT_EQ(SnapshotText(listed), ListTextOf(expected));
}

// Memory running out while the snapshot is taken, at its first or its
// second allocation: no snapshot, and the rows as they were.
TEST(FileRows, ASnapshotThatFindsNoMemoryIsNone) {
  FileRows rows;
  SetRowHash(rows, AddFile(rows, L"/folder/a.txt", 1), std::wstring(32, L'a'));
  for (std::uint64_t nth : {1, 2}) {
    std::shared_ptr<ListSnapshot> taken;
    {
      const FailingAllocation failing(nth, AllocatingThreads::kThisOne);
      taken = TakeListSnapshot(rows);
      EXPECT_TRUE(failing.Failed()) << nth;
    }
    EXPECT_FALSE(taken) << nth;
  }
  EXPECT_EQ(RowCell(rows, 0, kHashColumn), std::wstring(32, L'a'));
  EXPECT_EQ(TakeListSnapshot(rows)->lines.size(), 1u);
}

TEST(FileRows, ClearingGivesTheMemoryBack) {
  FileRows rows;
  std::vector<FileEntry> entries;
  for (int k = 0; k < 100000; ++k) entries.push_back(FileEntry{L"/folder" + std::to_wstring(k % 50) + L"/file" + std::to_wstring(k), k});
  AppendRows(rows, std::move(entries), true);
  EXPECT_GT(RowBytes(rows), std::size_t{4} << 20);
  EXPECT_LT(RowBytes(rows), std::size_t{16} << 20) << "lean: a few dozen bytes a row";
  const std::size_t empty = RowBytes(FileRows());
  ClearRows(rows);
  EXPECT_EQ(RowBytes(rows), empty) << "back to an empty list's one block";
}

}  // namespace
