#include "os/ascii_case.h"

namespace os {
namespace {

template <typename Char>
bool Equal(std::basic_string_view<Char> a, std::basic_string_view<Char> b) {
  if (a.size() != b.size()) return false;
  for (std::size_t k = 0; k < a.size(); ++k)
    if (AsciiLower(a[k]) != AsciiLower(b[k])) return false;
  return true;
}

}  // namespace

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) { return Equal(a, b); }

bool EqualIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) { return Equal(a, b); }

}  // namespace os
