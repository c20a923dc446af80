#include "app/size_text.h"

#include <cmath>
#include <cstdio>

std::wstring SizeText(std::int64_t size) {
  if (size < 1024) return std::to_wstring(static_cast<std::uint64_t>(size)) + L" B";
  static const struct {
    std::int64_t limit;
    double unit;
    const char* word;
  } kUnits[] = {
      {1LL << 20, 1024.0, "KB"},
      {1LL << 30, 1048576.0, "MB"},
      {1LL << 40, 1073741824.0, "GB"},
      {1LL << 50, 1099511627776.0, "TB"},
  };
  for (const auto& u : kUnits) {
    if (size >= u.limit) continue;
    // The quotient is exact in double for these sizes; round hundredths half
    // up ourselves, since printf would round 1.125 to even.
    const double hundredths = std::floor(static_cast<double>(size) / u.unit * 100.0 + 0.5);
    char text[64];
    std::snprintf(text, sizeof text, "%.0f.%02.0f %s", std::floor(hundredths / 100.0),
                  std::fmod(hundredths, 100.0), u.word);
    return std::wstring(text, text + std::char_traits<char>::length(text));
  }
  return L"";
}
