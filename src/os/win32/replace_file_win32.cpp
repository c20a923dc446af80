#include "os/replace_file.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "os/access_hook.h"
#include "os/replace_file_temp.h"
#include "os/win32/long_path.h"

namespace os {
namespace {

// A save keeps its temporary file open without delete sharing from creating
// it until it has been renamed over the target or marked for removal, all
// through the one handle; the system closes the handle when the process dies.
// Stale is therefore: a temporary file that can be deleted. One in use refuses
// with a sharing violation.

LONG g_temp_count = 0;

bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD want = bytes.size() > 0x40000000 ? 0x40000000 : static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), want, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}


void RemoveStaleTemporaryFiles(const std::wstring& folder) {
  const std::wstring pattern = folder + std::wstring(replace_temp::kPrefix.begin(), replace_temp::kPrefix.end()) + L"*";
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
  if (find == INVALID_HANDLE_VALUE) return;
  std::vector<std::wstring> names;
  do {
    const DWORD skip = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
    if (!(found.dwFileAttributes & skip) && replace_temp::IsName(std::wstring_view(found.cFileName))) {
      names.emplace_back(found.cFileName);
    }
  } while (FindNextFileW(find, &found));
  FindClose(find);
  for (const std::wstring& name : names) DeleteFileW((folder + name).c_str());
}

// Renames the open `file` over `target` (extended-length) in one step, as
// MoveFileExW would, but without letting go of the file first.
bool RenameOver(HANDLE file, const std::wstring& target) {
  // The native form of the name: "\??\" in place of "\\?\".
  const std::wstring native = L"\\??\\" + target.substr(4);
  const std::size_t name_bytes = native.size() * sizeof(wchar_t);
  std::vector<std::uint64_t> buffer((sizeof(FILE_RENAME_INFO) + name_bytes + 7) / 8);
  auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  info->ReplaceIfExists = TRUE;
  info->RootDirectory = nullptr;
  info->FileNameLength = static_cast<DWORD>(name_bytes);
  std::memcpy(info->FileName, native.data(), name_bytes);
  return SetFileInformationByHandle(file, FileRenameInfo, info, static_cast<DWORD>(buffer.size() * 8)) != FALSE;
}

}  // namespace

bool ReplaceFileContents(const std::wstring& path, const ContentPieces& next) {
  if (path.empty()) return false;
  BEFORE_STORE_ACCESS(path);
  const std::wstring target = ExtendedLengthPath(path, LongPathForm::kAlways);
  const std::size_t slash = target.rfind(L'\\');
  if (target.empty() || slash == std::wstring::npos || slash + 1 == target.size()) return false;
  // A read-only file is the user's "do not change"; moving over it would
  // succeed on some systems.
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return false;
  const std::wstring folder = target.substr(0, slash + 1);
  RemoveStaleTemporaryFiles(folder);

  const auto pid = static_cast<std::uint32_t>(GetCurrentProcessId());
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
    const auto count = static_cast<std::uint32_t>(InterlockedIncrement(&g_temp_count));
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    const std::uint64_t seed = static_cast<std::uint64_t>(now.QuadPart) ^ (std::uint64_t{count} << 40) ^ pid;
    const std::wstring temp = folder + replace_temp::Name<wchar_t>(pid, count, replace_temp::Noise(seed));
    // No sharing at all: no clean-up can delete it while this save runs.
    file = CreateFileW(temp.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) return false;
  }
  if (file == INVALID_HANDLE_VALUE) return false;

  // Fails, leaving the target alone, when it is read-only, locked or a folder.
  const auto write_all = [file](std::string_view piece) { return WriteAll(file, piece); };
  const bool ok = replace_temp::WriteEachPiece(next, write_all) && FlushFileBuffers(file) && RenameOver(file, target);
  if (!ok) {
    FILE_DISPOSITION_INFO remove{};
    remove.DeleteFile = TRUE;
    SetFileInformationByHandle(file, FileDispositionInfo, &remove, sizeof remove);
  }
  CloseHandle(file);
  return ok;
}

}  // namespace os
