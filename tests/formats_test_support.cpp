#include "formats_test_support.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <vector>

#ifdef _WIN32
#include <windows.h>

#include "os/win32/long_path.h"
#endif

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

bool MakeFolder(const std::wstring& path) {
#ifdef _WIN32
  return CreateDirectoryW(os::ExtendedLengthPath(path).c_str(), nullptr) != FALSE;
#else
  std::error_code error;
  return std::filesystem::create_directory(path, error);
#endif
}
