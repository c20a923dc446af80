#include "test_files.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <system_error>
#include <vector>

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include "os/codepage.h"
#include "os/folder.h"
#include "os/path_text.h"
#ifdef _WIN32
#include "os/win32/long_path.h"
#endif

namespace fs = std::filesystem;

namespace {

std::atomic<int> g_folder_count{0};

// The program's wide texts are UTF-32 on POSIX while file names are UTF-8
// bytes; std::filesystem would convert through the C locale instead.
fs::path Native(const fs::path& root, const std::wstring& name) {
#ifdef _WIN32
  return root / name;
#else
  return root / os::WideToUtf8(name);
#endif
}

std::wstring Wide(const fs::path& path) {
#ifdef _WIN32
  return path.wstring();
#else
  return os::Utf8ToWide(path.string());
#endif
}

}  // namespace

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

std::wstring ScratchFolder::PathOf(const std::wstring& name) const { return Wide(Native(root, name)); }

std::wstring ScratchFolder::Write(const std::wstring& name, const std::string& bytes) const {
  const fs::path path = Native(root, name);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return Wide(path);
}

std::wstring ScratchFolder::WriteSparse(const std::wstring& name, std::uint64_t size) const {
  const fs::path path = Native(root, name);
  { std::ofstream out(path, std::ios::binary | std::ios::trunc); }
  fs::resize_file(path, size);
  return Wide(path);
}

namespace {

bool MakeFolder(const std::wstring& path) {
#ifdef _WIN32
  return CreateDirectoryW(os::ExtendedLengthPath(path).c_str(), nullptr) != FALSE;
#else
  std::error_code error;
  return fs::create_directory(os::WideToUtf8(path), error);
#endif
}

}  // namespace

DeepFolder::DeepFolder(const std::wstring& root_folder, std::size_t length) : root(root_folder) {
  std::wstring deep = root;
  while (deep.size() < length) {
    deep += os::kPathSeparator + std::wstring(60, L'd');
    if (!MakeFolder(deep)) return;
  }
  path = deep;
}

DeepFolder::~DeepFolder() {
#ifdef _WIN32
  // ScratchFolder's removal, through the standard library, would stop here.
  if (path.empty()) return;
  os::ListFolder(path, [this](const os::FolderItem& item) {
    if (!item.is_folder) DeleteFileW(os::ExtendedLengthPath(PathOf(item.name)).c_str());
    return true;
  });
  for (std::wstring at = path; at.size() > root.size(); at.resize(at.rfind(os::kPathSeparator)))
    RemoveDirectoryW(os::ExtendedLengthPath(at).c_str());
#endif
}

std::wstring DeepFolder::PathOf(const std::wstring& name) const { return os::JoinPath(path, name); }

#ifdef _WIN32
namespace {

// This process's file handles, counted in the system's table of every open
// handle (SystemExtendedHandleInformation), which gives each handle's object
// type: the type of a file opened for the count is the type counted. Other
// kinds come and go with the system's own threads (thread pool, COM) and are
// made lazily. The probe counts in every count alike; 0 when the table
// cannot be read.
int FileHandlesOfThisProcess() {
  using QuerySystem = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
  const auto query = reinterpret_cast<QuerySystem>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
  struct Entry {
    void* object;
    ULONG_PTR process;
    ULONG_PTR value;
    ULONG access;
    USHORT trace, type;
    ULONG attributes, reserved;
  };
  struct Table {
    ULONG_PTR count, reserved;
    Entry entries[1];
  };
  wchar_t self[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  if (!query || length == 0 || length >= MAX_PATH) return 0;
  const HANDLE probe =
      CreateFileW(self, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (probe == INVALID_HANDLE_VALUE) return 0;
  constexpr ULONG kExtendedHandles = 64;
  std::vector<ULONG_PTR> buffer(1 << 14);
  int files = 0;
  for (int turn = 0; turn < 8; ++turn) {
    const ULONG size = static_cast<ULONG>(buffer.size() * sizeof(ULONG_PTR));
    ULONG needed = 0;
    const LONG status = query(kExtendedHandles, buffer.data(), size, &needed);
    if (status == static_cast<LONG>(0xC0000004)) {  // STATUS_INFO_LENGTH_MISMATCH: the table grew
      buffer.resize(buffer.size() * 2 + needed / sizeof(ULONG_PTR));
      continue;
    }
    if (status < 0) break;
    const auto* table = reinterpret_cast<const Table*>(buffer.data());
    const Entry* end = table->entries + table->count;
    const auto mine = [](const Entry& entry) { return entry.process == GetCurrentProcessId(); };
    const Entry* probed = std::find_if(table->entries, end, [&](const Entry& entry) {
      return mine(entry) && entry.value == reinterpret_cast<ULONG_PTR>(probe);
    });
    if (probed == end) break;
    files = static_cast<int>(
        std::count_if(table->entries, end, [&](const Entry& e) { return mine(e) && e.type == probed->type; }));
    break;
  }
  CloseHandle(probe);
  return files;
}

}  // namespace
#endif

int OpenFileCount() {
  int count = 0;
#ifdef _WIN32
  count = FileHandlesOfThisProcess();
#else
  std::error_code error;
  for (std::filesystem::directory_iterator it("/proc/self/fd", error), end; !error && it != end; it.increment(error))
    ++count;
  if (error) count = 0;
#endif
  // A count that cannot change would make every comparison of two hold.
  if (count <= 0) ADD_FAILURE() << "this system does not tell how many files the process holds open";
  return count;
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
