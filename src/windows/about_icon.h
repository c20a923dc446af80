// The About window's picture: the 48 x 48 image of the program icon, held as
// a complete icon file with that one entry (written by scripts/about_icon.py).
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr std::size_t kAboutIconBytes = 9662;

extern const std::uint8_t kAboutIcon[kAboutIconBytes];
