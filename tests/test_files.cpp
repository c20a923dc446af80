#include "test_files.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {
std::atomic<int> g_folder_count{0};
}

ScratchFolder::ScratchFolder() {
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  root = fs::temp_directory_path() /
         ("sumwick-test-" + std::to_string(stamp) + "-" + std::to_string(g_folder_count.fetch_add(1)));
  fs::create_directories(root);
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  fs::remove_all(root, ignored);
}

std::wstring ScratchFolder::PathOf(const std::wstring& name) const { return (root / name).wstring(); }

std::wstring ScratchFolder::Write(const std::wstring& name, const std::string& bytes) const {
  const fs::path path = root / name;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path.wstring();
}

std::wstring ScratchFolder::WriteSparse(const std::wstring& name, std::uint64_t size) const {
  const fs::path path = root / name;
  { std::ofstream out(path, std::ios::binary | std::ios::trunc); }
  fs::resize_file(path, size);
  return path.wstring();
}

std::string PatternBytes(std::size_t size, std::uint32_t seed) {
  std::string bytes(size, '\0');
  std::uint32_t x = seed * 2654435761u + 1;
  for (auto& b : bytes) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    b = static_cast<char>(x >> 24);
  }
  return bytes;
}
