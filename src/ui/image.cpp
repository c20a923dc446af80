// Images decoded from icon-file data.
#include "ui/image.h"

#include <cstring>
#include <map>
#include <vector>

namespace {

std::map<std::int32_t, HICON>& Images() {
  static std::map<std::int32_t, HICON> images;
  return images;
}

std::uint32_t LoadLittleEndian(const std::uint8_t* bytes, std::size_t count) {
  std::uint32_t value = 0;
  for (std::size_t i = count; i > 0; --i) value = (value << 8) | bytes[i - 1];
  return value;
}

}  // namespace

bool CatchIconImage(std::int32_t image, const std::uint8_t* data, std::size_t bytes, std::int32_t size) {
  // Icon file: 6-byte header (0, type 1, count), then 16-byte entries whose
  // bytes 8..11 give the image's length and 12..15 its offset.
  if (!data || bytes < 6 || LoadLittleEndian(data, 2) != 0 || LoadLittleEndian(data + 2, 2) != 1) return false;
  std::size_t count = LoadLittleEndian(data + 4, 2);
  if (count == 0 || bytes < 6 + 16 * count) return false;
  std::size_t chosen = 0;
  for (std::size_t entry = 0; entry < count; ++entry) {
    std::int32_t width = data[6 + 16 * entry];
    if ((width == 0 ? 256 : width) == size) {
      chosen = entry;
      break;
    }
  }
  const std::uint8_t* entry = data + 6 + 16 * chosen;
  std::size_t length = LoadLittleEndian(entry + 8, 4);
  std::size_t offset = LoadLittleEndian(entry + 12, 4);
  if (offset > bytes || length > bytes - offset) return false;
  std::int32_t width = entry[0] == 0 ? 256 : entry[0];
  std::int32_t height = entry[1] == 0 ? 256 : entry[1];
  // The decoder may write to its input, so it gets a copy.
  std::vector<BYTE> resource(data + offset, data + offset + length);
  HICON icon = CreateIconFromResourceEx(resource.data(), static_cast<DWORD>(length), TRUE, 0x00030000, width, height,
                                        LR_DEFAULTCOLOR);
  if (!icon) return false;
  HICON& slot = Images()[image];
  if (slot) DestroyIcon(slot);
  slot = icon;
  return true;
}

HICON ImageIcon(std::int32_t image) {
  auto found = Images().find(image);
  return found == Images().end() ? nullptr : found->second;
}

void FreeImages() {
  for (auto& [number, icon] : Images()) DestroyIcon(icon);
  Images().clear();
}
