#include "windows/verifier_rows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "os/page_arena.h"
#include "test_files.h"
#include "windows/list_check.h"

namespace {

// An entry as the list reader makes it: the list's folder, then the name.
ChecksumEntry EntryOf(const std::wstring& folder, const std::wstring& name, const std::wstring& digest,
                      std::int64_t size) {
  return ChecksumEntry{digest, folder + name, folder.size(), size};
}

// Every kind of name and digest reads back as written, and the check reads
// the path, size and digest the entry had; each Valid code reads as its text.
TEST(VerifierRows, EveryKindOfRowReadsAsTheListWroteIt) {
  const std::wstring folder = L"C:\\lists\\caf\u00e9\\";
  const std::wstring lower = L"900150983cd24fb0d6963f7d28e17f72";
  std::vector<ChecksumEntry> entries{
      EntryOf(folder, L"plain.txt", lower, 3),
      EntryOf(folder, L"upper.txt", L"900150983CD24FB0D6963F7D28E17F72", 4),
      EntryOf(folder, L"mixed.txt", L"900150983Cd24fB0d6963f7D28e17F72", 5),
      EntryOf(folder, L"short.txt", L"900150983cd24fb0d6963f7d28e17f7", 6),
      EntryOf(folder, L"long.txt", lower + L"0", 7),
      EntryOf(folder, L"not-hex.txt", L"900150983cd24fb0d6963f7d28e17fzz", 8),
      EntryOf(folder, L"wide-digest.txt", L"900150983cd24fb0d6963f7d28e17f7\u00e9", 9),
      EntryOf(folder, L"no-digest.txt", L"", 10),
      EntryOf(folder, L"sub\\\u65e5\u672c\U0001F600 \u00e9.txt", lower, 11),
      EntryOf(folder, std::wstring(5000, L'n') + L".txt", L"D41D8CD98F00B204E9800998ECF8427E", 5000000000LL),
  };
  // Past a chunk of rows, and a name of a character outside ASCII in the middle of a run of plain ones.
  for (int i = 0; i < 5000; ++i) entries.push_back(EntryOf(folder, L"f" + std::to_wstring(i), lower, i + 1));
  entries.push_back(EntryOf(folder, L"\u00ff", lower, 1));
  VerifierRows rows;
  AppendVerifierEntries(rows, std::vector<ChecksumEntry>(entries.begin(), entries.begin() + 3));
  AppendVerifierEntries(rows, std::vector<ChecksumEntry>(entries.begin() + 3, entries.end()));
  ASSERT_EQ(VerifierRowCount(rows), entries.size());
  for (std::size_t row = 0; row < entries.size(); ++row) {
    const ChecksumEntry& entry = entries[row];
    ASSERT_EQ(VerifierCell(rows, row, kVerifierFileColumn), ChecksumEntryName(entry)) << row;
    ASSERT_EQ(VerifierCell(rows, row, kVerifierHashColumn), entry.digest) << row;
    ASSERT_EQ(VerifierCell(rows, row, kVerifierValidColumn), L"") << row;
    ChecksumEntry checked;
    ASSERT_TRUE(VerifierEntry(rows, row, &checked));
    ASSERT_EQ(checked.path, entry.path) << row;
    ASSERT_EQ(ChecksumEntryName(checked), ChecksumEntryName(entry)) << row;
    ASSERT_EQ(checked.size, entry.size) << row;
    ASSERT_EQ(checked.digest, entry.digest) << row;
  }
  const std::vector<std::pair<std::int32_t, std::wstring>> verdicts{
      {kValidOk, L"OK"}, {kValidInvalid, L"Invalid"}, {0, L"0%"}, {37, L"37%"},
      {100, L"100%"}, {150, L"150%"}, {kValidNone, L""}};
  for (const auto& [code, text] : verdicts) {
    SetValidCode(rows, 4097, code);
    EXPECT_EQ(VerifierCell(rows, 4097, kVerifierValidColumn), text);
  }
  SetValidCode(rows, entries.size(), kValidOk);  // past the end: ignored
  EXPECT_EQ(VerifierCell(rows, entries.size(), kVerifierFileColumn), L"");
  ChecksumEntry past;
  EXPECT_FALSE(VerifierEntry(rows, entries.size(), &past));

  // The check over the rows: a digest matches in either letter case, a
  // malformed one never.
  ScratchFolder files;
  std::vector<ChecksumEntry> real;
  const std::wstring real_folder = files.PathOf(L"");
  for (const wchar_t* name : {L"lower", L"upper", L"mixed", L"short"}) {
    files.Write(name, "abc");
    const ChecksumEntry& like = entries[real.size()];
    real.push_back(EntryOf(real_folder, name, like.digest, 3));
  }
  VerifierRows real_rows;
  AppendVerifierEntries(real_rows, real);
  std::vector<std::wstring> log;
  ListCheckView view;
  view.verdict = [&](std::size_t row, bool intact) { log.push_back(std::to_wstring(row) + (intact ? L"OK" : L"-")); };
  view.unread = [&](std::size_t row) { log.push_back(std::to_wstring(row) + L"unread"); };
  RunListCheck(real_rows, view);
  EXPECT_EQ(log, (std::vector<std::wstring>{L"0OK", L"1OK", L"2OK", L"3-"}));
}

TEST(VerifierRows, ReleaseGivesTheMemoryBackToTheSystem) {
  const std::size_t before = os::PageBlocksHeld();
  {
    VerifierRows rows;
    std::vector<ChecksumEntry> entries;
    for (int i = 0; i < 30000; ++i)
      entries.push_back(EntryOf(L"/lists/", L"folder/file" + std::to_wstring(i), L"900150983cd24fb0d6963f7d28e17f72", 1));
    AppendVerifierEntries(rows, entries);
    EXPECT_GT(os::PageBlocksHeld(), before);
    ReleaseVerifierRows(rows);
    EXPECT_EQ(os::PageBlocksHeld(), before);
    EXPECT_EQ(VerifierRowCount(rows), 0u);
    EXPECT_EQ(VerifierCell(rows, 0, kVerifierFileColumn), L"");
    // Used again after, and let go with the rows when they end.
    AppendVerifierEntries(rows, entries);
    EXPECT_EQ(VerifierCell(rows, 29999, kVerifierFileColumn), L"folder/file29999");
  }
  EXPECT_EQ(os::PageBlocksHeld(), before);
}

}  // namespace
