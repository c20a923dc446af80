// Internal: the GDI objects, device contexts, icons and image lists that the
// services make are made and let go through these, which count what lives, so
// that a window that opens and closes again can be seen to leave nothing
// behind. Not for use outside src/ui/, but for the tests that read the count.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstdint>

namespace ui {

struct GdiCounts {
  std::int32_t objects = 0;  // fonts, brushes, bitmaps
  std::int32_t dcs = 0;      // memory device contexts
  std::int32_t icons = 0;
  std::int32_t image_lists = 0;
};

inline bool operator==(const GdiCounts& a, const GdiCounts& b) {
  return a.objects == b.objects && a.dcs == b.dcs && a.icons == b.icons && a.image_lists == b.image_lists;
}

// What lives now of what the services made.
GdiCounts LiveGdi();

// Each takes what a making call returned, counts it unless it is null, and
// returns it.
void CountMadeObject(HGDIOBJ object);
template <typename Object>
Object Counted(Object object) {
  CountMadeObject(object);
  return object;
}
HDC CountedDc(HDC dc);
HICON CountedIcon(HICON icon);
HIMAGELIST CountedImageList(HIMAGELIST list);

// Each lets go of one counted thing; null is ignored.
void DeleteCounted(HGDIOBJ object);
void DeleteCountedDc(HDC dc);
void DestroyCountedIcon(HICON icon);
void DestroyCountedImageList(HIMAGELIST list);

}  // namespace ui
