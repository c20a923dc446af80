#include "formats/settings.h"

#include <gtest/gtest.h>

#include "formats/ini_document.h"
#include "formats_test_support.h"
#include "test_files.h"

namespace {

namespace fs = std::filesystem;

// Settings live in the working directory: run each test inside a scratch folder.
struct InScratchFolder {
  InScratchFolder() : before(fs::current_path()) { fs::current_path(folder.root); }
  ~InScratchFolder() { fs::current_path(before); }
  void Write(const std::string& bytes) const { folder.Write(L"settings.ini", bytes); }
  std::string Bytes() const { return FileBytes(folder.root / "settings.ini"); }

  ScratchFolder folder;
  fs::path before;
};

std::string Loaded(const std::string& file) {
  InScratchFolder here;
  here.Write(file);
  const Settings settings = LoadSettings();
  return std::to_string(settings.thread_higher) + "," + std::to_string(settings.auto_check);
}

const std::string kTickedBoth = "\xEF\xBB\xBF\r\n[hash]\r\nthread.higher = 1\r\nauto.check = 1\r\n";

TEST(Settings, MissingFileGivesDefaultsAndIsNotCreated) {
  InScratchFolder here;
  const Settings settings = LoadSettings();
  EXPECT_EQ(settings.thread_higher, 0);
  EXPECT_EQ(settings.auto_check, 1);
  EXPECT_EQ(FolderListing(here.folder.root), "");
}

TEST(Settings, SaveWritesTheExactFile) {
  InScratchFolder here;
  ASSERT_TRUE(SaveSettings(Settings{1, 1}));
  EXPECT_EQ(here.Bytes(), kTickedBoth);
  EXPECT_EQ(here.Bytes().size(), 48u);
  ASSERT_TRUE(SaveSettings(Settings{0, 1}));
  EXPECT_EQ(here.Bytes(), "\xEF\xBB\xBF\r\n[hash]\r\nthread.higher = 0\r\nauto.check = 1\r\n");
  ASSERT_TRUE(SaveSettings(Settings{-7, 12}));
  EXPECT_EQ(here.Bytes(), "\xEF\xBB\xBF\r\n[hash]\r\nthread.higher = -7\r\nauto.check = 12\r\n");
  const Settings read = LoadSettings();
  EXPECT_EQ(read.thread_higher, -7);
  EXPECT_EQ(read.auto_check, 12);
  EXPECT_EQ(FolderListing(here.folder.root), "settings.ini\n") << "no temporary file stays behind";
}

TEST(Settings, SaveDropsWhatAUserAdded) {
  InScratchFolder here;
  here.Write("; mine\n[other]\nx=1\n[hash]\nauto.check=0\nextra=2\n");
  ASSERT_TRUE(SaveSettings(Settings{1, 1}));
  EXPECT_EQ(here.Bytes(), kTickedBoth);
}

TEST(Settings, HandEditedFiles) {
  EXPECT_EQ(Loaded(kTickedBoth), "1,1");
  EXPECT_EQ(Loaded("[HASH]\n  Thread.Higher=1\n"), "1,1") << "no mark, LF, other case, indented";
  EXPECT_EQ(Loaded("[hash]\nauto.check = no\n"), "0,0") << "a word reads as 0, not the default";
  EXPECT_EQ(Loaded("[hash]\r\nauto.check = 5\r\n"), "0,5");
  EXPECT_EQ(Loaded("[hash]\rauto.check=1\rauto.check=0\r"), "0,1") << "the first of two keys counts";
  EXPECT_EQ(Loaded("[hash]\nthread.higher\n"), "0,1") << "a key without = has an empty value";
  EXPECT_EQ(Loaded("thread.higher=1\nauto.check=0\n[hash]\n"), "0,1") << "keys above the first group";
  EXPECT_EQ(Loaded("thread.higher=1\nauto.check=0\n"), "0,1") << "no group at all";
  EXPECT_EQ(Loaded("[other]\nthread.higher=1\n[hash]\nauto.check=0\n"), "0,0");
  EXPECT_EQ(Loaded("[hash]\nauto.check=0\n[hash]\nthread.higher=1\n"), "0,0")
      << "a later group of the same name is never searched";
  EXPECT_EQ(Loaded("[ hash ]\nthread.higher=1\n"), "0,1") << "blanks inside the brackets belong to the name";
  EXPECT_EQ(Loaded("\t[hash] trailing text\n; thread.higher=1\nthread.higher=1\n"), "1,1");
  EXPECT_EQ(Loaded("[hash\nthread.higher=1\n"), "1,1") << "a group without ]";
  EXPECT_EQ(Loaded(""), "0,1");
  EXPECT_EQ(Loaded("\xEF\xBB\xBF"), "0,1");
}

TEST(Settings, SaveFailsOnAFolderAndKeepsNothingElse) {
  InScratchFolder here;
  fs::create_directory(here.folder.root / "settings.ini");
  EXPECT_FALSE(SaveSettings(Settings{1, 0}));
  EXPECT_TRUE(fs::is_directory(here.folder.root / "settings.ini"));
  EXPECT_EQ(FolderListing(here.folder.root), "settings.ini\n");
  const Settings settings = LoadSettings();
  EXPECT_EQ(settings.auto_check, 1);
}

TEST(IniInteger, Conversion) {
  for (const char* one : {"1", "+1", "1x", "1.9", "\v01"}) EXPECT_EQ(IniInteger(one), 1) << one;
  EXPECT_EQ(IniInteger(" \t-42 "), -42);
  for (const char* word : {"", "yes", "on", "true", "-", "+", "--1", " x1", "0x10"}) EXPECT_EQ(IniInteger(word), 0) << word;
  EXPECT_EQ(IniInteger("2147483647"), INT32_MAX);
  EXPECT_EQ(IniInteger("-2147483648"), INT32_MIN);
  EXPECT_EQ(IniInteger("2147483648"), INT32_MAX) << "beyond the range saturates";
  EXPECT_EQ(IniInteger("-2147483649"), INT32_MIN);
  EXPECT_EQ(IniInteger("99999999999999999999999999999"), INT32_MAX);
  EXPECT_EQ(IniInteger("-99999999999999999999999999999"), INT32_MIN);
  EXPECT_EQ(Loaded("[hash]\nthread.higher=4294967296\nauto.check=-4294967296\n"),
            std::to_string(INT32_MAX) + "," + std::to_string(INT32_MIN))
      << "a huge number stays on instead of wrapping to 0";
}

TEST(IniDocument, ParsesEachLineForm) {
  IniDocument document;
  document.Parse("\xEF\xBB\xBF ;  spaced comment\r\n;tight\n\n\n[ g ]x\r\n  key  =  va=l;ue  \r\nbare\n=v\n \t \n");
  const auto& entries = document.entries();
  ASSERT_EQ(entries.size(), 6u);
  EXPECT_EQ(entries[0].kind, IniEntry::Kind::kComment);
  EXPECT_EQ(entries[0].name, " spaced comment") << "one blank after ; is dropped";
  EXPECT_EQ(entries[1].name, "tight");
  EXPECT_EQ(entries[2].kind, IniEntry::Kind::kGroup);
  EXPECT_EQ(entries[2].name, " g ");
  EXPECT_EQ(entries[3].kind, IniEntry::Kind::kKey);
  EXPECT_EQ(entries[3].name, "key");
  EXPECT_EQ(entries[3].value, "va=l;ue  ") << "trailing blanks, = and ; stay in the value";
  EXPECT_EQ(entries[4].name, "bare");
  EXPECT_EQ(entries[4].value, "");
  EXPECT_EQ(entries[5].name, "");
  EXPECT_EQ(entries[5].value, "v");
}

TEST(IniDocument, WithoutTheMarkBytesAreLatin1) {
  IniDocument document;
  document.Parse("[h\xE9]\nk\xFF=\xC3\x80\xA7\n");
  ASSERT_EQ(document.entries().size(), 2u);
  EXPECT_EQ(document.entries()[0].name, "h\xC3\xA9");
  EXPECT_EQ(document.entries()[1].name, "k\xC3\xBF");
  EXPECT_EQ(document.entries()[1].value, "\xC3\x83\xC2\x80\xC2\xA7");
  EXPECT_TRUE(document.SelectGroup("H\xC3\xA9"));
  EXPECT_FALSE(document.SelectGroup("h\xC3\x89")) << "only ASCII letters ignore case";
}

TEST(IniDocument, WritesInsertIntoTheirGroup) {
  IniDocument document;
  document.Parse("top=1\n[A]\na=1\n; note\n[b]\nb=2\n");
  EXPECT_TRUE(document.SelectGroup("a"));
  document.WriteInteger("new", 5);
  document.WriteInteger("A", -3);  // replaces the value and the key's spelling
  EXPECT_TRUE(document.SelectGroup(""));
  document.WriteInteger("g", 7);
  EXPECT_FALSE(document.SelectGroup("c"));
  EXPECT_EQ(document.ReadInteger("b", 9), 9) << "a pending group reads defaults";
  document.WriteInteger("c", 0);
  EXPECT_EQ(document.ReadInteger("c", 9), 0);
  EXPECT_EQ(document.Bytes(), "\xEF\xBB\xBF\r\ntop = 1\r\ng = 7\r\n[A]\r\nA = -3\r\n; note\r\nnew = 5\r\n"
                              "[b]\r\nb = 2\r\n[c]\r\nc = 0\r\n");
  IniDocument global_only;
  global_only.Parse("[first]\n");
  global_only.SelectGroup("");
  global_only.WriteInteger("k", 1);
  EXPECT_EQ(global_only.Bytes(), "\xEF\xBB\xBF\r\nk = 1\r\n[first]\r\n") << "at the very start";
}

TEST(IniDocument, CloseWritesOnlyAfterAWrite) {
  InScratchFolder here;
  here.Write("[hash]\nthread.higher=1\n");
  IniDocument document;
  ASSERT_TRUE(document.Open(L"settings.ini"));
  EXPECT_TRUE(document.SelectGroup("hash"));
  EXPECT_EQ(document.ReadInteger("thread.higher", 0), 1);
  EXPECT_TRUE(document.Close());
  EXPECT_EQ(here.Bytes(), "[hash]\nthread.higher=1\n");
  EXPECT_TRUE(document.entries().empty());

  ASSERT_TRUE(document.Open(L"settings.ini"));
  document.SelectGroup("hash");
  document.WriteInteger("Thread.Higher", 0);
  EXPECT_FALSE(document.Open(L"missing.ini")) << "opening another closes this one";
  EXPECT_EQ(here.Bytes(), "\xEF\xBB\xBF\r\n[hash]\r\nThread.Higher = 0\r\n");
  EXPECT_TRUE(document.Close());
  EXPECT_EQ(FolderListing(here.folder.root), "settings.ini\n");
  // Closed, it belongs to no file: what is written then is saved nowhere.
  document.WriteInteger("late", 1);
  EXPECT_TRUE(document.Close());
  EXPECT_EQ(FolderListing(here.folder.root), "settings.ini\n");
}

}  // namespace
