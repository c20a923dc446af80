#include "os/codepage.h"

#include <cstdint>

namespace os {
namespace {

constexpr wchar_t kReplacement = 0xFFFD;

// Windows-1252 for 0x80..0x9F; the five undefined bytes map to the C1 control
// of the same number, as the Win32 conversion does.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, std::uint32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// One character of UTF-16 units, which wide texts from UTF-16 sources may also
// hold: a surrogate pair reads as one, moving `i` onto its second half; an
// unpaired surrogate reads as U+FFFD.
template <typename Char>
std::uint32_t ReadCharacter(std::basic_string_view<Char> units, std::size_t& i) {
  const auto c = static_cast<std::uint32_t>(units[i]);
  if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size()) {
    const auto low = static_cast<std::uint32_t>(units[i + 1]);
    if (low >= 0xDC00 && low <= 0xDFFF) {
      ++i;
      return 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
    }
  }
  return (c >= 0xD800 && c <= 0xDFFF) ? kReplacement : c;
}

}  // namespace

std::wstring Utf8ToWide(std::string_view bytes) {
  std::wstring out;
  out.reserve(bytes.size());
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  std::size_t i = 0;
  while (i < n) {
    const unsigned char lead = p[i];
    if (lead < 0x80) {
      out += static_cast<wchar_t>(lead);
      ++i;
      continue;
    }
    int extra;
    std::uint32_t c;
    std::uint32_t min;
    if (lead >= 0xC2 && lead <= 0xDF) {
      extra = 1, c = lead & 0x1F, min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      extra = 2, c = lead & 0x0F, min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      extra = 3, c = lead & 0x07, min = 0x10000;
    } else {
      out += kReplacement;  // stray continuation byte or invalid lead
      ++i;
      continue;
    }
    // Consume the longest valid prefix; a broken sequence yields one U+FFFD.
    std::size_t j = i + 1;
    bool ok = true;
    for (int k = 0; k < extra; ++k, ++j) {
      if (j >= n || (p[j] & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      c = (c << 6) | (p[j] & 0x3F);
      if (k == 0) {
        // Reject overlong forms, surrogates and values past U+10FFFF early.
        const std::uint32_t partial = c << (6 * (extra - 1));
        if (partial < min || (partial >= 0xD800 && partial <= 0xDFFF) || partial > 0x10FFFF) {
          ok = false;
          break;
        }
      }
    }
    if (!ok) {
      out += kReplacement;
      i = (j == i + 1) ? i + 1 : j;
      continue;
    }
    out += static_cast<wchar_t>(c);
    i = j;
  }
  return out;
}

std::string WideToUtf8(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::uint32_t c = ReadCharacter(text, i);
    if (c > 0x10FFFF) c = kReplacement;
    AppendUtf8(out, c);
  }
  return out;
}

std::wstring Utf16ToWide(std::u16string_view units) {
  std::wstring out;
  out.reserve(units.size());
  for (std::size_t i = 0; i < units.size(); ++i) out += static_cast<wchar_t>(ReadCharacter(units, i));
  return out;
}

std::wstring AnsiToWide(std::string_view bytes) {
  std::wstring out;
  out.reserve(bytes.size());
  for (const char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    out += (b >= 0x80 && b <= 0x9F) ? static_cast<wchar_t>(kCp1252High[b - 0x80]) : static_cast<wchar_t>(b);
  }
  return out;
}

std::string WideToAnsi(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (const wchar_t wc : text) {
    const auto c = static_cast<std::uint32_t>(wc);
    char byte = '?';
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
      byte = static_cast<char>(c);
    } else {
      for (int k = 0; k < 32; ++k) {
        if (kCp1252High[k] == c) {
          byte = static_cast<char>(0x80 + k);
          break;
        }
      }
    }
    out += byte;
  }
  return out;
}

}  // namespace os
