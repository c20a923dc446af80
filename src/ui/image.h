// Images by number, decoded from icon-file data held in the program.
#pragma once

#include <cstddef>
#include <cstdint>

#include <windows.h>

// Decodes the entry of `size` x `size` pixels (or the first entry when there
// is none of that size) of the icon file in `data`. False when the data is
// not an icon file or cannot be decoded. Window thread only.
bool CatchIconImage(std::int32_t image, const std::uint8_t* data, std::size_t bytes, std::int32_t size);
HICON ImageIcon(std::int32_t image);
void FreeImages();
