#include "ui/gdi.h"

#include <atomic>

namespace ui {
namespace {

std::atomic<std::int32_t> g_objects{0}, g_dcs{0}, g_icons{0}, g_image_lists{0};

}  // namespace

GdiCounts LiveGdi() { return {g_objects.load(), g_dcs.load(), g_icons.load(), g_image_lists.load()}; }

void CountMadeObject(HGDIOBJ object) {
  if (object) ++g_objects;
}

HDC CountedDc(HDC dc) {
  if (dc) ++g_dcs;
  return dc;
}

HICON CountedIcon(HICON icon) {
  if (icon) ++g_icons;
  return icon;
}

HIMAGELIST CountedImageList(HIMAGELIST list) {
  if (list) ++g_image_lists;
  return list;
}

void DeleteCounted(HGDIOBJ object) {
  if (object && DeleteObject(object)) --g_objects;
}

void DeleteCountedDc(HDC dc) {
  if (dc && DeleteDC(dc)) --g_dcs;
}

void DestroyCountedIcon(HICON icon) {
  if (icon && DestroyIcon(icon)) --g_icons;
}

void DestroyCountedImageList(HIMAGELIST list) {
  if (list && ImageList_Destroy(list)) --g_image_lists;
}

}  // namespace ui
