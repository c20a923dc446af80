#include "formats/checksum_list_reader.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <new>

#include "checksum_list_helpers.h"
#include "failing_allocation.h"
#include "formats_test_support.h"
#include "os/access_hook.h"
#include "os/codepage.h"
#include "os/replace_file.h"
#include "test_files.h"

namespace {

const std::string kDigest = "0cc175b9c0f1b6a831c399e269772661";
const std::wstring kWideDigest = L"0cc175b9c0f1b6a831c399e269772661";

std::string Utf16Le(const std::wstring& text) {
  std::string bytes;
  auto unit = [&bytes](std::uint32_t u) {
    bytes += static_cast<char>(u & 0xFF);
    bytes += static_cast<char>(u >> 8);
  };
  for (const wchar_t c : text) {
    const auto code = static_cast<std::uint32_t>(c);
    if (code > 0xFFFF) {
      unit(0xD800 + ((code - 0x10000) >> 10));
      unit(0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
      unit(code);
    }
  }
  return bytes;
}

// "name|digest" per entry, so that a failure shows the whole result.
std::string Summary(const std::vector<ChecksumLine>& lines) {
  std::string text;
  for (const auto& line : lines) text += os::WideToUtf8(line.name) + "|" + os::WideToUtf8(line.digest) + "\n";
  return text;
}

std::string Summary(const std::vector<ChecksumEntry>& entries) {
  std::string text;
  for (const auto& entry : entries) {
    text += os::WideToUtf8(ChecksumEntryName(entry)) + "|" + os::WideToUtf8(entry.digest) + "|" + std::to_string(entry.size) + "\n";
  }
  return text;
}

TEST(ParseChecksumList, LineEnds) {
  const std::string expected = "a|" + kDigest + "\nb|" + kDigest + "\nc|" + kDigest + "\n";
  const std::string a = "a  " + kDigest, b = "b  " + kDigest, c = "c  " + kDigest;
  EXPECT_EQ(Summary(ParseChecksumList(a + "\r\n" + b + "\r\n" + c + "\r\n")), expected) << "CR LF";
  EXPECT_EQ(Summary(ParseChecksumList(a + "\n" + b + "\n" + c + "\n")), expected) << "LF";
  EXPECT_EQ(Summary(ParseChecksumList(a + "\r" + b + "\r" + c + "\r")), expected) << "lone CR";
  EXPECT_EQ(Summary(ParseChecksumList(a + "\r" + b + "\n" + c)), expected) << "mixed, no end on the last line";
  EXPECT_EQ(Summary(ParseChecksumList(a + std::string(1, '\0') + b + std::string(1, '\0') + c)), expected) << "NUL";
  EXPECT_EQ(Summary(ParseChecksumList(a + "\r\r\n" + b)), "a|" + kDigest + "\n") << "CR then CR LF holds an empty line";
  // The same mix in UTF-16: an LF long after a CR still ends its own line.
  std::string utf16 = "\xFF\xFE";
  for (char byte : a + "\r" + b + "\n" + c) utf16 += std::string{byte, '\0'};
  EXPECT_EQ(Summary(ParseChecksumList(utf16)), expected) << "mixed, UTF-16";
}

TEST(ParseChecksumList, TheFirstEmptyLineEndsReading) {
  const std::string a = "a  " + kDigest, b = "b  " + kDigest;
  EXPECT_EQ(Summary(ParseChecksumList(a + "\r\n\r\n" + b + "\r\n")), "a|" + kDigest + "\n");
  EXPECT_EQ(Summary(ParseChecksumList("\xEF\xBB\xBF\r\n" + a + "\r\n")), "") << "empty first line";
  EXPECT_EQ(Summary(ParseChecksumList("")), "");
  EXPECT_EQ(Summary(ParseChecksumList("   \r\n" + b + "\r\n")), "|\nb|" + kDigest + "\n")
      << "spaces are not an empty line; two of them split into an empty name and digest";
  EXPECT_EQ(Summary(ParseChecksumList(" \r\n" + b + "\r\n")), "b|" + kDigest + "\n") << "a lone space";
}

TEST(ParseChecksumList, TheFirstTwoSpacesSplit) {
  EXPECT_EQ(Summary(ParseChecksumList("my  file.txt  " + kDigest + "\n")), "my|file.txt  " + kDigest + "\n");
  EXPECT_EQ(Summary(ParseChecksumList("a.txt " + kDigest + "\n")), "") << "a single space does not split";
  EXPECT_EQ(Summary(ParseChecksumList(kDigest + "  a.txt\n")), kDigest + "|a.txt\n") << "digest first";
  EXPECT_EQ(Summary(ParseChecksumList("a.txt     " + kDigest + "   \n")), "a.txt|" + kDigest + "\n")
      << "spaces trimmed around the digest";
  EXPECT_EQ(Summary(ParseChecksumList("a.txt  \t" + kDigest + "\t \n")), "a.txt|\t" + kDigest + "\t\n")
      << "only U+0020 is trimmed";
  EXPECT_EQ(Summary(ParseChecksumList("a.txt    \n")), "a.txt|\n") << "an empty digest is kept";
  EXPECT_EQ(Summary(ParseChecksumList("A.TXT  0CC175B9C0F1B6A831C399E269772661\n")),
            "A.TXT|0CC175B9C0F1B6A831C399E269772661\n")
      << "upper case kept";
}

// The whole table, through real files, is in ReadChecksumList.EachEncodingFindsTheFile.
TEST(ParseChecksumList, EncodingCorners) {
  EXPECT_EQ(Summary(ParseChecksumList(std::string("\xFF\xFE\0\0", 4) + Utf16Le(L"a  " + kWideDigest))), "")
      << "FF FE 00 00 is UTF-16 whose first unit is NUL";
  EXPECT_EQ(Summary(ParseChecksumList("\xFF\xFE" + Utf16Le(L"\U0001F600.txt  " + kWideDigest))),
            "\xF0\x9F\x98\x80.txt|" + kDigest + "\n")
      << "a surrogate pair";
  EXPECT_EQ(Summary(ParseChecksumList("\xFF\xFE" + Utf16Le(L"a  " + kWideDigest) + "x")), "a|" + kDigest + "\n")
      << "an odd last byte is no character";
  EXPECT_EQ(Summary(ParseChecksumList("\xEF\xBB")), "") << "shorter than a mark";
  EXPECT_EQ(Summary(ParseChecksumList("\xEF\xBB\xBF" "a\xE2\x82  " + kDigest)), "a\xEF\xBF\xBD|" + kDigest + "\n")
      << "a UTF-8 sequence cut short by the two spaces does not take them";
  EXPECT_EQ(Summary(ParseChecksumList("\xFF\xFE" + Utf16Le(std::wstring(L"a") + wchar_t(0xD83D) + L"  " + kWideDigest))),
            "a\xEF\xBF\xBD|" + kDigest + "\n")
      << "nor does a lone surrogate";
}

TEST(ChecksumListParser, ChunksCutAnywhereGiveTheSameLines) {
  const std::string texts[] = {
      "\xFF\xFE" + Utf16Le(L"\u00e9\u20ac.txt  " + kWideDigest + L"\r\nb  x\rc  y\n\nd  z"),
      "\xEF\xBB\xBF\xC3\xA9.txt  " + kDigest + "\r\nb  x\r\n\r\nc  y",
      std::string("\0\0\xFE\xFF", 4) + "a  b\r\rc  d",
      "a  b\xFF\xFE\r\nc  d",  // no mark: the encoding is chosen once, a mark later on is text
  };
  for (const std::string& text : texts) {
    const std::string whole = Summary(ParseChecksumList(text));
    ASSERT_NE(whole, "");
    ChecksumListParser bytewise;
    for (std::size_t i = 0; i < text.size(); ++i) {
      const bool more = bytewise.Feed(std::string_view(&text[i], 1));
      if (i < 4) {
        EXPECT_TRUE(more) << "byte " << i << ", before the encoding is known";
      }
    }
    bytewise.Finish();
    EXPECT_EQ(Summary(bytewise.lines()), whole) << "byte by byte";
    for (std::size_t cut = 0; cut <= text.size(); ++cut) {
      ChecksumListParser parser;
      parser.Feed(std::string_view(text).substr(0, cut));
      parser.Feed(std::string_view(text).substr(cut));
      parser.Finish();
      EXPECT_EQ(Summary(parser.lines()), whole) << "cut at " << cut;
    }
  }
}

TEST(ChecksumListParser, StopsFeedingAtTheFirstEmptyLine) {
  ChecksumListParser parser;
  EXPECT_TRUE(parser.Feed("a  b\r\n"));
  EXPECT_FALSE(parser.Feed("\r\nc  d\r\n"));
  EXPECT_FALSE(parser.Feed("e  f\r\n"));
  parser.Finish();
  EXPECT_EQ(Summary(parser.lines()), "a|b\n");
}

TEST(ParseChecksumList, LinesHaveNoLengthLimit) {
  const std::string name(300000, 'n');
  const auto lines = ParseChecksumList(name + "  " + kDigest + "\n");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].name.size(), name.size());
}

TEST(ReadChecksumList, ResolvesAgainstTheListsFolder) {
  ScratchFolder folder;
  folder.Write(L"a.txt", "a");
  folder.Write(L"big.bin", std::string(70000, 'b'));
  folder.Write(L"empty.txt", "");
  std::filesystem::create_directory(folder.root / "sub");
  std::filesystem::create_directory(folder.root / "sub" / "dir");
  folder.Write(L"sub/c.txt", "ccc");
  const std::string absolute = os::WideToUtf8(folder.PathOf(L"a.txt"));
#ifdef _WIN32
  const std::string sub_name = "sub\\c.txt";
#else
  const std::string sub_name = "sub/c.txt";
#endif
  const std::wstring list = folder.Write(
      L"sums.md5", "\xEF\xBB\xBF"
                   "a.txt  " + kDigest + "\r\n"
                   "missing.txt  " + kDigest + "\r\n"
                   "empty.txt  " + kDigest + "\r\n"
                   "    \r\n"
                   "sub  " + kDigest + "\r\n" +
                   sub_name + "  " + kDigest + "\r\n" +
                   absolute + "  " + kDigest + "\r\n"
                   "big.bin  " + kDigest + "\r\n");
  const int open_files = OpenFileCount();
  EXPECT_EQ(Summary(ReadChecksumList(list)),
            "a.txt|" + kDigest + "|1\n" + sub_name + "|" + kDigest + "|3\nbig.bin|" + kDigest + "|70000\n")
      << "missing, empty, spaces-only and folder lines are skipped; an absolute name gets the folder in front";
  EXPECT_EQ(OpenFileCount(), open_files) << "the list is closed again";
  const auto entries = ReadChecksumList(list);
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].path, list.substr(0, list.size() - std::wstring(L"sums.md5").size()) + L"a.txt");
}

TEST(ReadChecksumList, EachEncodingFindsTheFile) {
  ScratchFolder folder;
  const std::wstring name = L"\u00e9t\u00e9.txt";
  // The library's own wide-path conversion follows the C locale on POSIX.
  std::ofstream(folder.root / std::filesystem::u8path(os::WideToUtf8(name)), std::ios::binary) << "12345";
  const std::string expected = os::WideToUtf8(name) + "|" + kDigest + "|5\n";
  const std::string ansi_line = "\xE9t\xE9.txt  " + kDigest + "\r\n";
  EXPECT_EQ(Summary(ReadChecksumList(folder.Write(L"utf16.md5", "\xFF\xFE" + Utf16Le(name + L"  " + kWideDigest)))),
            expected);
  EXPECT_EQ(Summary(ReadChecksumList(folder.Write(L"utf8.md5", "\xEF\xBB\xBF" + os::WideToUtf8(name) + "  " + kDigest))),
            expected);
  EXPECT_EQ(Summary(ReadChecksumList(folder.Write(L"fe-ff.md5", "\xFE\xFF" + ansi_line))), expected);
  EXPECT_EQ(Summary(ReadChecksumList(folder.Write(L"utf32.md5", std::string("\0\0\xFE\xFF", 4) + ansi_line))),
            expected);
  EXPECT_EQ(Summary(ReadChecksumList(folder.Write(L"ansi.md5", ansi_line))), expected);
  EXPECT_EQ(Summary(ReadChecksumList(folder.Write(L"bare-utf8.md5", os::WideToUtf8(name) + "  " + kDigest))), "")
      << "UTF-8 without the mark reads as 8-bit and names a file that is not there";
}

TEST(ReadChecksumList, ListsPastTheClassicLimit) {
  ScratchFolder folder;
  const DeepFolder deep(folder.root.wstring(), 400);
  ASSERT_FALSE(deep.path.empty());
  const std::wstring file = deep.PathOf(L"file.txt");
  ASSERT_TRUE(os::ReplaceFileContents(file, "seven b"));
  const std::wstring list = deep.PathOf(L"sums.md5");
  ASSERT_TRUE(os::ReplaceFileContents(list, "file.txt  " + kDigest + "\r\n"));
  const auto entries = ReadChecksumList(list);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].path, file);
  EXPECT_EQ(entries[0].size, 7);
}

TEST(ReadChecksumList, UnreadableListsGiveNothing) {
  ScratchFolder folder;
  EXPECT_TRUE(ReadChecksumList(folder.PathOf(L"missing.md5")).empty());
  EXPECT_TRUE(ReadChecksumList(folder.root.wstring()).empty()) << "a folder";
  EXPECT_TRUE(ReadChecksumList(L"").empty());
}

// A list long enough to be looked up in slices while the rest is read: its
// entries in file order, none before the whole file is read, and none at all
// when the reading fails after the first slice went to the lookups.
TEST(ReadChecksumList, ALongListIsLookedUpWhileItIsRead) {
  ScratchFolder folder;
  folder.Write(L"a.txt", "a");
  folder.Write(L"b.txt", "b");
  // Lines naming files that exist: under Wine a missing name costs a search
  // of its folder.
  std::string list;
  std::vector<std::wstring> expected;
  constexpr int kLines = 20000;
  for (int k = 0; k < kLines; ++k) {
    const bool b = k == 5 || k == kLines - 3;
    list += std::string(b ? "b.txt" : k == 7 ? "gone.txt" : "a.txt") + "  0123456789abcdef0123456789abcdef\r\n";
    if (k != 7) expected.push_back(b ? L"b.txt" : L"a.txt");
  }
  const std::wstring path = folder.Write(L"long.md5", list);
  std::size_t lines_read = 0;
  std::vector<std::wstring> names;
  bool early = false;
  ListReading how;
  how.lines_per_slice = 18000;  // the first slice looked up in two parts
  EXPECT_TRUE(ReadAndResolveChecksumList(path, how, [&](std::size_t lines) { lines_read = lines; },
                                         [&](std::vector<ChecksumEntry>& entries) {
    early = early || lines_read == 0;
    for (const ChecksumEntry& entry : entries) names.push_back(std::wstring(ChecksumEntryName(entry)));
    return true;
  }));
  EXPECT_EQ(lines_read, static_cast<std::size_t>(kLines));
  EXPECT_EQ(names, expected);
  EXPECT_FALSE(early);

  // Read in pieces of 64 KiB: the first makes a slice of its own.
  g_reads = 0;
  how.lines_per_slice = 300;
  how.read = FailingRead;
  bool handed = false;
  EXPECT_FALSE(ReadAndResolveChecksumList(path, how, [&](std::size_t) { handed = true; },
                                          [&](std::vector<ChecksumEntry>&) { return handed = true; }));
  EXPECT_EQ(g_reads, 2);
  EXPECT_FALSE(handed);
}

// A stop said by the taker, or memory running out in it, ends the reading and
// its threads: nothing more is handed over, and nothing escapes.
TEST(ReadChecksumList, AStopOrAFailureInTheTakerEndsTheReading) {
  ScratchFolder folder;
  folder.Write(L"a.txt", "a");
  std::string list;
  for (int k = 0; k < 40000; ++k) list += "a.txt  0123456789abcdef0123456789abcdef\r\n";
  const std::wstring path = folder.Write(L"long.md5", list);
  ListReading how;
  how.lines_per_slice = 1000;
  std::atomic<bool> cancel{false};
  how.cancel = &cancel;
  int takes = 0;
  EXPECT_FALSE(ReadAndResolveChecksumList(path, how, [](std::size_t) {}, [&](std::vector<ChecksumEntry>&) {
    ++takes;
    cancel.store(true);
    return true;
  }));
  EXPECT_EQ(takes, 1);
  how.cancel = nullptr;
  takes = 0;
  EXPECT_FALSE(ReadAndResolveChecksumList(path, how, [](std::size_t) {}, [&](std::vector<ChecksumEntry>&) -> bool {
    ++takes;
    throw std::bad_alloc();
  }));
  EXPECT_EQ(takes, 1);
}

// A list of `lines` lines naming a.txt, which exists; each line 41 bytes.
std::wstring ListOfATxt(const ScratchFolder& folder, int lines) {
  folder.Write(L"a.txt", "a");
  std::string list;
  for (int k = 0; k < lines; ++k) list += "a.txt  0123456789abcdef0123456789abcdef\r\n";
  return folder.Write(L"list.md5", list);
}
constexpr std::uint32_t kLineBytes = 41;

// Reads of one line each for the reading thread, which tests hold and count:
// the read function is a plain function, so its state is here.
struct HeldReads {
  std::mutex lock;
  std::condition_variable changed;
  int reads = 0;            // made so far
  int hold_from = -1;       // the read of this number waits for `failed`
  bool failed = false;      // the lookups' side failed
  int reads_after = 0;      // reads begun once `failed` was set
  int lookups = 0;          // made so far
  int hold_end_until = -1;  // the read that finds the end waits for this many lookups
};
HeldReads* g_held = nullptr;

bool OneLineRead(os::FileHandle file, void* buffer, std::uint32_t size, std::uint32_t* delivered) {
  {
    std::unique_lock<std::mutex> hold(g_held->lock);
    const int read = g_held->reads++;
    if (g_held->failed) {
      ++g_held->reads_after;
    } else if (read == g_held->hold_from) {
      // Until the lookups have failed, and a while more: the reader is told
      // of the failure only once the failure has left the lookups.
      g_held->changed.notify_all();
      g_held->changed.wait_for(hold, std::chrono::seconds(20), [] { return g_held->failed; });
      g_held->changed.wait_for(hold, std::chrono::milliseconds(100));
    }
  }
  if (!os::ReadChunk(file, buffer, std::min(size, kLineBytes), delivered)) return false;
  std::unique_lock<std::mutex> hold(g_held->lock);
  if (*delivered == 0 && g_held->hold_end_until >= 0)
    g_held->changed.wait_for(hold, std::chrono::seconds(20), [] { return g_held->lookups >= g_held->hold_end_until; });
  return true;
}

// The lookups failing (memory running out in them) while the list is still
// read: the reading ends within a chunk of it, not at its next slice. Here a
// chunk is a line and a slice 100 lines; the first slice's lookup fails once
// the reading is held at line 150, which goes on once it has failed; after
// that chunk no more are read (one is allowed, should the failure take long
// to leave the lookups).
TEST(ReadChecksumList, TheReadingEndsWithinAChunkOnceTheLookupsFail) {
  ScratchFolder folder;
  const std::wstring list = ListOfATxt(folder, 3000);
  HeldReads held;
  held.hold_from = 150;
  g_held = &held;
  os::SetAccessHook([&held](const std::wstring&) {
    {
      std::unique_lock<std::mutex> hold(held.lock);
      held.changed.wait_for(hold, std::chrono::seconds(20), [&held] { return held.reads > held.hold_from; });
      held.failed = true;
      held.changed.notify_all();
    }
    throw std::bad_alloc();
  });
  ListReading how;
  how.in_flight = 1;
  how.lines_per_slice = 100;
  how.read = OneLineRead;
  bool handed = false;
  EXPECT_FALSE(ReadAndResolveChecksumList(list, how, [&](std::size_t) { handed = true; },
                                          [&](std::vector<ChecksumEntry>&) { return handed = true; }));
  os::SetAccessHook(nullptr);
  g_held = nullptr;
  EXPECT_FALSE(handed);
  EXPECT_TRUE(held.failed);
  EXPECT_LE(held.reads_after, 1);
}

// How a reading ends in its corners: memory running out in the read of an
// empty list, or in `lines_read`, is no whole read; a taker's stop while the
// entries held until the end are handed over is no whole read either (a line
// a slice, all looked up before the end of the file is found), and without it
// they all go over, in order, after the count of lines.
TEST(ReadChecksumList, TheEndsOfAReading) {
  ScratchFolder folder;
  const std::wstring empty = folder.Write(L"empty.md5", "");
  ListReading how;
  bool handed = false;
  how.read = [](os::FileHandle, void*, std::uint32_t, std::uint32_t*) -> bool { throw std::bad_alloc(); };
  EXPECT_FALSE(ReadAndResolveChecksumList(empty, how, [&](std::size_t) { handed = true; },
                                          [&](std::vector<ChecksumEntry>&) { return handed = true; }));
  EXPECT_FALSE(handed);
  how.read = os::ReadChunk;
  EXPECT_TRUE(ReadAndResolveChecksumList(empty, how, [&](std::size_t lines) { handed = lines == 0; },
                                         [](std::vector<ChecksumEntry>&) { return true; }));
  EXPECT_TRUE(handed) << "an empty list is read whole, of no lines";

  const std::wstring list = ListOfATxt(folder, 5);
  bool taken = false;
  EXPECT_FALSE(ReadAndResolveChecksumList(list, how, [](std::size_t) { throw std::bad_alloc(); },
                                          [&](std::vector<ChecksumEntry>&) { return taken = true; }));
  EXPECT_FALSE(taken);

  // Four entries, then a line whose file is gone: once it is looked up, the
  // four are held, and the end of the file may be found.
  std::string four(FileBytes(list), 0, 4 * kLineBytes);
  const std::wstring ending_in_a_gone_file = folder.Write(L"four.md5", four + "gone.txt  0123456789abcdef0123456789abcdef\r\n");
  HeldReads held;
  held.hold_end_until = 5;
  g_held = &held;
  os::SetAccessHook([&held](const std::wstring&) {
    std::lock_guard<std::mutex> hold(held.lock);
    ++held.lookups;
    held.changed.notify_all();
  });
  how.lines_per_slice = 1;
  how.read = OneLineRead;
  int takes = 0;
  EXPECT_FALSE(ReadAndResolveChecksumList(ending_in_a_gone_file, how, [](std::size_t) {},
                                          [&](std::vector<ChecksumEntry>& entries) {
    EXPECT_EQ(entries.size(), 4u) << "all held until the end";
    ++takes;
    return false;
  }));
  EXPECT_EQ(takes, 1);
  held.lookups = 0;
  std::size_t lines_read = 0;
  std::vector<std::wstring> names;
  EXPECT_TRUE(ReadAndResolveChecksumList(ending_in_a_gone_file, how, [&](std::size_t lines) { lines_read = lines; },
                                         [&](std::vector<ChecksumEntry>& entries) {
    EXPECT_EQ(lines_read, 5u);
    for (const ChecksumEntry& entry : entries) names.push_back(std::wstring(ChecksumEntryName(entry)));
    return true;
  }));
  EXPECT_EQ(names, std::vector<std::wstring>(4, L"a.txt"));
  os::SetAccessHook(nullptr);
  g_held = nullptr;
}

// Memory running out at any one allocation of a list's reading, in any of its
// threads: the list gives all its entries or none (a list is never checked in
// part), and nothing escapes or is left behind.
TEST(ReadChecksumList, MemoryRunningOutAnywhereGivesAllOrNothing) {
  ScratchFolder folder;
  folder.Write(L"b.txt", "bb");
  std::string text = "\xEF\xBB\xBF";
  for (int k = 0; k < 30; ++k) text += (k % 3 == 0 ? "b.txt" : k % 3 == 1 ? "gone.txt" : "a.txt") + std::string("  0123456789abcdef0123456789abcdef\r\n");
  folder.Write(L"a.txt", "a");
  const std::wstring list = folder.Write(L"mixed.md5", text);
  const std::string all = Summary(ReadChecksumList(list));
  ASSERT_EQ(std::count(all.begin(), all.end(), '\n'), 20);
  for (const AllocatingThreads threads : {AllocatingThreads::kThisOne, AllocatingThreads::kOthers, AllocatingThreads::kAny}) {
    for (std::uint64_t nth = 1; !HasFailure(); ++nth) {
      SCOPED_TRACE("allocation " + std::to_string(nth));
      std::vector<ChecksumEntry> entries, in_slices;
      in_slices.reserve(30);
      bool failed = false, whole = false;
      {
        const FailingAllocation failing(nth, threads);
        entries = ReadChecksumList(list);
        // Slices of four lines: a part that ran out of memory must not pass for looked up.
        ListReading how;
        how.lines_per_slice = 4;
        whole = ReadAndResolveChecksumList(list, how, [](std::size_t) {}, [&](std::vector<ChecksumEntry>& got) {
          for (ChecksumEntry& entry : got) in_slices.push_back(std::move(entry));
          return true;
        });
        failed = failing.Failed();
      }
      if (!entries.empty()) {
        EXPECT_EQ(Summary(entries), all);
      }
      if (whole) {
        EXPECT_EQ(Summary(in_slices), all);
      }
      if (!failed) {
        EXPECT_FALSE(entries.empty());
        EXPECT_TRUE(whole);
        break;
      }
    }
  }
}

}  // namespace
