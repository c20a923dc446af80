// Images by number, loaded from the program's icon resources.
#pragma once

#include <cstdint>

#include <windows.h>

// The program icon: the windows' own icon, in every size the program draws it.
inline constexpr std::int32_t kProgramIconResource = 1;

// Loads icon resource `resource` of the program's executable as image
// `image`, taking its entry of `size` x `size` pixels (the system scales the
// nearest when there is none of that size). False when the program holds no
// such icon; the image keeps what it held then. Window thread only.
// `size` is in 96-DPI units: a window of another scale shows the image at its
// size times DPI / 96, from the resource's entry of that size where there is
// one, else from the nearest larger entry (or the largest) averaged over the
// area each new pixel covers: whole multiples stay sharp blocks.
bool LoadIconImage(std::int32_t image, std::int32_t resource, std::int32_t size);
void FreeImages();
