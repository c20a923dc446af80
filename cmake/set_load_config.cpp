// Build tool, run on the build machine after the program is linked:
//   set_load_config PROGRAM.exe LINKER.map
// Points the header's load-configuration entry at the program's
// `_load_config_used` record (its address read from the linker's map, its
// size from the record's first four bytes; the whole record must lie in its
// section's data) and mends the header's checksum.
// GNU ld 2.40 (Debian 12's) leaves that entry empty whatever the program defines;
// Windows reads the record only through it. Exits non-zero, leaving the file
// as it was, when the image or the map is not as expected.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t Read32(const Bytes& bytes, std::size_t at) {
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}
std::uint64_t Read64(const Bytes& bytes, std::size_t at) {
  return Read32(bytes, at) | static_cast<std::uint64_t>(Read32(bytes, at + 4)) << 32;
}
void Write32(Bytes& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

int Fail(const char* why) {
  std::fprintf(stderr, "set_load_config: %s\n", why);
  return 1;
}

// "0x" and 1 to 16 hexadecimal digits; false for anything else.
bool ParseAddress(const std::string& text, std::uint64_t* value) {
  if (text.size() < 3 || text.size() > 18 || text.compare(0, 2, "0x") != 0) return false;
  *value = 0;
  for (std::size_t i = 2; i < text.size(); ++i) {
    const char c = text[i];
    const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10
                      : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    if (digit < 0) return false;
    *value = *value << 4 | static_cast<std::uint64_t>(digit);
  }
  return true;
}

// The address the map gives `_load_config_used` (on a line of its own: the
// address, then the name). Null when it names none, else the reason.
const char* MappedAddress(const std::string& map_path, std::uint64_t* address) {
  std::ifstream map(map_path);
  std::string line;
  while (std::getline(map, line)) {
    std::istringstream words(line);
    std::string text, name, extra;
    if (!(words >> text >> name) || name != "_load_config_used" || words >> extra) continue;
    return ParseAddress(text, address) ? nullptr : "the map gives _load_config_used a malformed address";
  }
  return "the map names no _load_config_used";
}

// The PE checksum: 16-bit words summed with end-around carry, the checksum
// field itself counted as zero, plus the file's length.
std::uint32_t ImageChecksum(const Bytes& bytes, std::size_t checksum_at) {
  std::uint64_t sum = 0;
  for (std::size_t i = 0; i < bytes.size(); i += 2) {
    if (i >= checksum_at && i < checksum_at + 4) continue;
    sum += bytes[i] | (i + 1 < bytes.size() ? bytes[i + 1] << 8 : 0);
    sum = (sum & 0xffff) + (sum >> 16);
  }
  sum = (sum & 0xffff) + (sum >> 16);
  return static_cast<std::uint32_t>(sum + bytes.size());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return Fail("usage: set_load_config PROGRAM.exe LINKER.map");
  Bytes image;
  {
    std::ifstream file(argv[1], std::ios::binary);
    image.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  }
  if (image.size() < 0x40) return Fail("not a PE image");
  const std::size_t pe = Read32(image, 0x3c);
  if (pe + 24 + 112 + 16 * 8 > image.size() || Read32(image, pe) != 0x00004550) return Fail("not a PE image");
  const std::size_t sections_count = image[pe + 6] | image[pe + 7] << 8;
  const std::size_t optional_size = image[pe + 20] | image[pe + 21] << 8;
  const std::size_t optional = pe + 24;
  if ((image[optional] | image[optional + 1] << 8) != 0x20b) return Fail("not a 64-bit image");
  if (Read32(image, optional + 108) <= 10) return Fail("no load-configuration entry in the header");
  const std::uint64_t image_base = Read64(image, optional + 24);

  std::uint64_t address = 0;
  if (const char* why = MappedAddress(argv[2], &address)) return Fail(why);
  if (address <= image_base || address - image_base > 0xffffffffu)
    return Fail("_load_config_used lies outside the image");
  const std::uint64_t rva = address - image_base;

  // The record's file offset, through the section that holds it, and the
  // end of that section's data in the file.
  std::uint64_t record = 0, data_end = 0;
  const std::size_t sections = optional + optional_size;
  for (std::size_t i = 0; i < sections_count && sections + 40 * (i + 1) <= image.size(); ++i) {
    const std::size_t header = sections + 40 * i;
    const std::uint64_t virtual_size = Read32(image, header + 8), start = Read32(image, header + 12);
    const std::uint64_t raw_size = Read32(image, header + 16), raw_at = Read32(image, header + 20);
    // The file may pad a section's data past its size in memory.
    const std::uint64_t data_size = virtual_size != 0 && virtual_size < raw_size ? virtual_size : raw_size;
    if (rva >= start && rva - start + 4 <= data_size) {
      record = raw_at + (rva - start);
      data_end = raw_at + data_size;
    }
  }
  if (record == 0 || data_end > image.size()) return Fail("_load_config_used lies in no section's data");
  const std::uint32_t size = Read32(image, record);
  if (size < 80) return Fail("_load_config_used does not start with its size");
  if (size > data_end - record) return Fail("_load_config_used runs past the end of its section");

  const std::size_t entry = optional + 112 + 10 * 8;
  Write32(image, entry, static_cast<std::uint32_t>(rva));
  Write32(image, entry + 4, size);
  const std::size_t checksum_at = optional + 64;
  if (Read32(image, checksum_at) != 0) Write32(image, checksum_at, ImageChecksum(image, checksum_at));

  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
  return out ? 0 : Fail("cannot write the program");
}
