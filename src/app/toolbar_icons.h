// The toolbar's four icons, each a complete icon file with one 16 x 16 image
// at 32 bits per pixel with alpha (written by scripts/draw_icons.py).
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr std::size_t kToolbarIconBytes = 1150;

extern const std::uint8_t kToolbarOpenIcon[kToolbarIconBytes];
extern const std::uint8_t kToolbarStartIcon[kToolbarIconBytes];
extern const std::uint8_t kToolbarStopIcon[kToolbarIconBytes];
extern const std::uint8_t kToolbarOptionsIcon[kToolbarIconBytes];
