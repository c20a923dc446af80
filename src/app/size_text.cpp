#include "app/size_text.h"

#include "os/decimal_text.h"

std::wstring SizeText(std::int64_t size) {
  if (size < 1024) return os::DecimalText(static_cast<std::uint64_t>(size)) + L" B";
  static const struct {
    int shift;  // the unit is 2^shift bytes
    const wchar_t* word;
  } kUnits[] = {{10, L"KB"}, {20, L"MB"}, {30, L"GB"}, {40, L"TB"}};
  const auto bytes = static_cast<std::uint64_t>(size);
  for (const auto& u : kUnits) {
    if (bytes >= (std::uint64_t{1} << (u.shift + 10))) continue;
    // Hundredths of the unit, half-way rounding up, in exact integers: below
    // 2^50 bytes the product stays far below 2^64.
    const std::uint64_t unit = std::uint64_t{1} << u.shift;
    const std::uint64_t hundredths = (bytes * 100 + unit / 2) >> u.shift;
    const std::uint64_t fraction = hundredths % 100;
    return os::DecimalText(hundredths / 100) + L"." + (fraction < 10 ? L"0" : L"") + os::DecimalText(fraction) +
           L" " + u.word;
  }
  return L"";
}
