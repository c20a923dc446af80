// Hex digits, the text form of digests: two to a byte, the high nibble first.
// Either case is read; lower case is written unless capitals are asked for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace os {

// The value of a hex digit, either case; -1 for any other character.
constexpr int HexDigitValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

// Reads `text` into `count` bytes when it is exactly 2 * count hex digits;
// false for any other text, `bytes` then undefined. When `capitals` is given
// (count at most 16), bit i says that digit i is a capital letter.
inline bool HexDigitsToBytes(std::wstring_view text, std::uint8_t* bytes, std::size_t count,
                             std::uint32_t* capitals = nullptr) {
  if (text.size() != 2 * count) return false;
  std::uint32_t upper = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const int value = HexDigitValue(text[i]);
    if (value < 0) return false;
    if (text[i] >= L'A' && text[i] <= L'F') upper |= std::uint32_t{1} << (i & 31);
    bytes[i / 2] = static_cast<std::uint8_t>(i % 2 == 0 ? value << 4 : bytes[i / 2] | value);
  }
  if (capitals) *capitals = upper;
  return true;
}

// Writes `count` bytes as 2 * count hex digits at `text`: lower case, but
// digit i a capital where bit i of `capitals` is set (count at most 16 then).
inline void BytesToHexDigits(const std::uint8_t* bytes, std::size_t count, wchar_t* text, std::uint32_t capitals = 0) {
  static constexpr wchar_t kLower[] = L"0123456789abcdef";
  static constexpr wchar_t kUpper[] = L"0123456789ABCDEF";
  for (std::size_t i = 0; i < 2 * count; ++i) {
    const int value = i % 2 == 0 ? bytes[i / 2] >> 4 : bytes[i / 2] & 0x0F;
    text[i] = ((capitals >> (i & 31)) & 1) ? kUpper[value] : kLower[value];
  }
}

}  // namespace os
