#include "os/decimal_text.h"

namespace os {

std::wstring DecimalText(std::uint64_t value) {
  wchar_t digits[20];
  std::size_t count = 0;
  do {
    digits[count++] = static_cast<wchar_t>(L'0' + value % 10);
    value /= 10;
  } while (value != 0);
  std::wstring text;
  text.reserve(count);
  while (count > 0) text.push_back(digits[--count]);
  return text;
}

}  // namespace os
