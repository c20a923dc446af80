// Images loaded from icon resources, at every size a display scale asks for.
#include "ui/image.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <utility>
#include <vector>

#include "ui/gdi.h"
#include "ui/scale.h"

namespace {

struct Image {
  HICON icon = nullptr;  // at 96 DPI, as LoadImageW gives it
  std::int32_t resource = 0;
  std::int32_t size = 0;
};

std::map<std::int32_t, Image>& Images() {
  static std::map<std::int32_t, Image> images;
  return images;
}

// (resource, pixels) -> icon; shared by the images and the windows' icons.
std::map<std::pair<std::int32_t, std::int32_t>, HICON>& MadeIcons() {
  static std::map<std::pair<std::int32_t, std::int32_t>, HICON> icons;
  return icons;
}

#pragma pack(push, 2)
struct GroupHeader {
  WORD reserved;
  WORD type;
  WORD count;
};
struct GroupEntry {
  BYTE width;  // 0 stands for 256
  BYTE height;
  BYTE colours;
  BYTE reserved;
  WORD planes;
  WORD bits;
  DWORD bytes;
  WORD id;  // the RT_ICON resource holding this image
};
#pragma pack(pop)

struct StoredImage {
  std::int32_t size = 0;
  WORD id = 0;
};

std::vector<StoredImage> StoredImages(std::int32_t resource) {
  std::vector<StoredImage> stored;
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(resource), RT_GROUP_ICON);
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const auto* bytes = static_cast<const BYTE*>(loaded ? LockResource(loaded) : nullptr);
  const DWORD length = found ? SizeofResource(module, found) : 0;
  if (!bytes || length < sizeof(GroupHeader)) return stored;
  GroupHeader header;
  std::memcpy(&header, bytes, sizeof(header));
  for (WORD at = 0; at < header.count; ++at) {
    const std::size_t offset = sizeof(GroupHeader) + at * sizeof(GroupEntry);
    if (offset + sizeof(GroupEntry) > length) break;
    GroupEntry entry;
    std::memcpy(&entry, bytes + offset, sizeof(entry));
    if (entry.width == entry.height) stored.push_back({entry.width == 0 ? 256 : entry.width, entry.id});
  }
  return stored;
}

HICON DecodeStored(const StoredImage& image) {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(image.id), RT_ICON);
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  auto* bytes = static_cast<BYTE*>(loaded ? LockResource(loaded) : nullptr);
  if (!bytes) return nullptr;
  return ui::CountedIcon(CreateIconFromResourceEx(bytes, SizeofResource(module, found), TRUE, 0x00030000,
                                                  image.size, image.size, LR_DEFAULTCOLOR));
}

// The image to draw `pixels` from: one of that size; else a larger one, one
// a whole multiple of it first; else the largest.
const StoredImage* Source(const std::vector<StoredImage>& stored, std::int32_t pixels) {
  const StoredImage* best = nullptr;
  auto rank = [pixels](const StoredImage& image) {
    if (image.size == pixels) return 0;
    if (image.size > pixels && image.size % pixels == 0) return 1;
    if (image.size > pixels) return 2;
    return 3;
  };
  for (const StoredImage& image : stored) {
    if (!best || rank(image) < rank(*best)) {
      best = &image;
    } else if (rank(image) == rank(*best)) {
      // Among larger ones the nearest; among smaller ones the largest.
      if ((rank(image) < 3) == (image.size < best->size)) best = &image;
    }
  }
  return best;
}

// Premultiplied B, G, R, A per pixel, rows top down.
using Picture = std::vector<float>;

// 32 bits per pixel, `size` square, rows top down.
BITMAPINFO TopDownFormat(std::int32_t size) {
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof(format.bmiHeader);
  format.bmiHeader.biWidth = size;
  format.bmiHeader.biHeight = -size;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  format.bmiHeader.biCompression = BI_RGB;
  return format;
}

Picture PixelsOf(HICON icon, std::int32_t size) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return {};
  // Its two bitmaps are ours to delete.
  ui::Counted(info.hbmColor);
  ui::Counted(info.hbmMask);
  Picture picture;
  BITMAPINFO format = TopDownFormat(size);
  std::vector<std::uint32_t> colour(static_cast<std::size_t>(size * size));
  std::vector<std::uint32_t> mask(colour.size());
  HDC screen = GetDC(nullptr);
  const bool read = info.hbmColor && GetDIBits(screen, info.hbmColor, 0, size, colour.data(), &format,
                                               DIB_RGB_COLORS) == size &&
                    GetDIBits(screen, info.hbmMask, 0, size, mask.data(), &format, DIB_RGB_COLORS) == size;
  ReleaseDC(nullptr, screen);
  ui::DeleteCounted(info.hbmColor);
  ui::DeleteCounted(info.hbmMask);
  if (!read) return {};
  // Icons without an alpha channel say what shows through with their mask.
  const bool has_alpha = std::any_of(colour.begin(), colour.end(), [](std::uint32_t p) { return p >> 24 != 0; });
  picture.reserve(colour.size() * 4);
  for (std::size_t at = 0; at < colour.size(); ++at) {
    const float alpha = has_alpha ? static_cast<float>(colour[at] >> 24) : ((mask[at] & 0xFFFFFF) ? 0.0f : 255.0f);
    for (int shift = 0; shift < 24; shift += 8)
      picture.push_back(static_cast<float>((colour[at] >> shift) & 0xFF) * alpha / 255.0f);
    picture.push_back(alpha);
  }
  return picture;
}

// Each new pixel is the average of the old area it covers, on both axes: at a
// whole multiple every old pixel becomes a clean block (or one block becomes a
// pixel), and in between an edge blends only the two pixels it falls across.
Picture Resampled(const Picture& from, std::int32_t from_size, std::int32_t to_size) {
  auto weights = [from_size, to_size](std::int32_t to) {
    std::vector<std::pair<std::int32_t, float>> parts;
    const double begin = static_cast<double>(to) * from_size / to_size;
    const double end = static_cast<double>(to + 1) * from_size / to_size;
    for (auto at = static_cast<std::int32_t>(begin); at < end && at < from_size; ++at) {
      const double covered = std::min<double>(end, at + 1) - std::max<double>(begin, at);
      if (covered > 1e-9) parts.emplace_back(at, static_cast<float>(covered / (end - begin)));
    }
    return parts;
  };
  Picture across(static_cast<std::size_t>(to_size * from_size * 4), 0.0f);
  for (std::int32_t x = 0; x < to_size; ++x)
    for (const auto& [from_x, weight] : weights(x))
      for (std::int32_t y = 0; y < from_size; ++y)
        for (int channel = 0; channel < 4; ++channel)
          across[(y * to_size + x) * 4 + channel] += weight * from[(y * from_size + from_x) * 4 + channel];
  Picture result(static_cast<std::size_t>(to_size * to_size * 4), 0.0f);
  for (std::int32_t y = 0; y < to_size; ++y)
    for (const auto& [from_y, weight] : weights(y))
      for (std::int32_t x = 0; x < to_size; ++x)
        for (int channel = 0; channel < 4; ++channel)
          result[(y * to_size + x) * 4 + channel] += weight * across[(from_y * to_size + x) * 4 + channel];
  return result;
}

HICON IconOf(const Picture& picture, std::int32_t size) {
  BITMAPINFO format = TopDownFormat(size);
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HBITMAP colour = ui::Counted(CreateDIBSection(screen, &format, DIB_RGB_COLORS, &bits, nullptr, 0));
  ReleaseDC(nullptr, screen);
  if (!colour) return nullptr;
  // Rows of the mask are padded to 16 bits; a set bit shows what is behind.
  const std::int32_t mask_row = (size + 15) / 16 * 2;
  std::vector<BYTE> mask(static_cast<std::size_t>(mask_row * size), 0);
  auto* out = static_cast<std::uint32_t*>(bits);
  for (std::int32_t at = 0; at < size * size; ++at) {
    const float alpha = std::clamp(picture[at * 4 + 3], 0.0f, 255.0f);
    std::uint32_t pixel = static_cast<std::uint32_t>(alpha + 0.5f) << 24;
    for (int channel = 0; channel < 3; ++channel) {
      const float straight = alpha > 0 ? picture[at * 4 + channel] * 255.0f / alpha : 0.0f;
      pixel |= static_cast<std::uint32_t>(std::clamp(straight, 0.0f, 255.0f) + 0.5f) << (channel * 8);
    }
    out[at] = pixel;
    const std::int32_t x = at % size;
    if (pixel >> 24 == 0) mask[(at / size) * mask_row + x / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
  }
  HBITMAP mask_bitmap = ui::Counted(CreateBitmap(size, size, 1, 1, mask.data()));
  ICONINFO info{TRUE, 0, 0, mask_bitmap, colour};
  HICON icon = mask_bitmap ? ui::CountedIcon(CreateIconIndirect(&info)) : nullptr;
  ui::DeleteCounted(colour);
  ui::DeleteCounted(mask_bitmap);
  return icon;
}

HICON MakeIcon(std::int32_t resource, std::int32_t pixels) {
  const std::vector<StoredImage> stored = StoredImages(resource);
  const StoredImage* source = Source(stored, pixels);
  if (!source) return nullptr;
  HICON icon = DecodeStored(*source);
  if (!icon || source->size == pixels) return icon;
  const Picture picture = PixelsOf(icon, source->size);
  ui::DestroyCountedIcon(icon);
  return picture.empty() ? nullptr : IconOf(Resampled(picture, source->size, pixels), pixels);
}

}  // namespace

bool LoadIconImage(std::int32_t image, std::int32_t resource, std::int32_t size) {
  HANDLE loaded = ui::CountedIcon(static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resource), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
  if (!loaded) return false;
  Image& slot = Images()[image];
  ui::DestroyCountedIcon(slot.icon);
  slot = Image{static_cast<HICON>(loaded), resource, size};
  return true;
}

void FreeImages() {
  for (auto& [number, image] : Images()) ui::DestroyCountedIcon(image.icon);
  Images().clear();
  for (auto& [key, icon] : MadeIcons()) ui::DestroyCountedIcon(icon);
  MadeIcons().clear();
}

namespace ui {

HICON ImageIconAt(std::int32_t image, std::int32_t dpi) {
  auto found = Images().find(image);
  if (found == Images().end()) return nullptr;
  if (dpi == kBaseDpi) return found->second.icon;
  HICON icon = ResourceIcon(found->second.resource, Scaled(found->second.size, dpi));
  return icon ? icon : found->second.icon;
}

HICON ResourceIcon(std::int32_t resource, std::int32_t pixels) {
  auto& made = MadeIcons();
  auto found = made.find({resource, pixels});
  if (found != made.end()) return found->second;
  HICON icon = MakeIcon(resource, pixels);
  if (icon) made.emplace(std::make_pair(resource, pixels), icon);
  return icon;
}

}  // namespace ui
