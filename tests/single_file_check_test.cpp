#include "windows/single_file_check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine_test_support.h"
#include "formats/checksum_list_reader.h"
#include "os/file.h"
#include "test_files.h"

namespace {

constexpr const wchar_t* kAbc = L"900150983cd24fb0d6963f7d28e17f72";

TEST(SingleFileCheck, VerdictsAndNoResult) {
  ScratchFolder folder;
  const std::wstring path = folder.Write(L"f", "abc");
  std::vector<std::int32_t> reports;
  const auto progress = [&](std::int32_t p) { reports.push_back(p); };
  EXPECT_EQ(CheckOneFile(path, kAbc, progress), SingleCheckResult::Valid);
  EXPECT_EQ(reports, std::vector<std::int32_t>{100});
  EXPECT_EQ(CheckOneFile(path, L"900150983CD24FB0D6963F7D28E17F72", progress), SingleCheckResult::Valid);
  EXPECT_EQ(CheckOneFile(path, L"000150983cd24fb0d6963f7d28e17f72", progress), SingleCheckResult::Invalid);
  EXPECT_EQ(CheckOneFile(folder.Write(L"empty", ""), kAbc, progress), SingleCheckResult::NoResult);
  EXPECT_EQ(CheckOneFile(folder.PathOf(L"missing"), kAbc, progress), SingleCheckResult::NoResult);
  EXPECT_EQ(CheckOneFile(folder.root.wstring(), kAbc, progress), SingleCheckResult::NoResult);
}

}  // namespace
