#include "app/size_text.h"

#include <gtest/gtest.h>

namespace {

TEST(SizeText, EveryUnitAndBoundary) {
  const struct {
    std::int64_t size;
    const wchar_t* text;
  } cases[] = {
      {0, L"0 B"},
      {1023, L"1023 B"},
      {1024, L"1.00 KB"},
      {1152, L"1.13 KB"},  // 1.125 rounds up
      {1536, L"1.50 KB"},
      {1034, L"1.01 KB"},  // 1.009765625
      {1048575, L"1024.00 KB"},
      {1048576, L"1.00 MB"},
      {5000000, L"4.77 MB"},
      {1073741823, L"1024.00 MB"},
      {1073741824, L"1.00 GB"},
      {1099511627776, L"1.00 TB"},
      {1125899906842623, L"1024.00 TB"},
      {1125899906842624, L""},
      {INT64_MAX, L""},
      {-1, L"18446744073709551615 B"},
      {-2, L"18446744073709551614 B"},
  };
  for (const auto& c : cases) EXPECT_EQ(SizeText(c.size), c.text) << c.size;
}

TEST(SizeText, HalfwayHundredthsRoundUpInEveryUnit) {
  // x.xx5 exactly: 1024 * 2.125 and 1048576 * 3.375 and 1073741824 * 0.625 + 1 GiB.
  EXPECT_EQ(SizeText(2176), L"2.13 KB");
  EXPECT_EQ(SizeText(3538944), L"3.38 MB");
  EXPECT_EQ(SizeText(1744830464), L"1.63 GB");
}

}  // namespace
