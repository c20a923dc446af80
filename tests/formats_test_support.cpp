#include "formats_test_support.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <vector>

std::string FileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing>";
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string FolderListing(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& item : std::filesystem::directory_iterator(folder)) names.push_back(item.path().filename().u8string());
  std::sort(names.begin(), names.end());
  std::string listing;
  for (const auto& name : names) listing += name + "\n";
  return listing;
}

int g_reads = 0;
int g_failing_read = 2;

bool FailingRead(os::FileHandle file, void* buffer, std::uint32_t size, std::uint32_t* delivered) {
  *delivered = 0;
  return ++g_reads != g_failing_read && os::ReadChunk(file, buffer, size, delivered);
}
