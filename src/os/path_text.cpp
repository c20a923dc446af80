#include "os/path_text.h"

namespace os {
namespace {

std::size_t LastComponentStart(std::wstring_view path) {
  std::size_t start = path.size();
  while (start > 0 && !IsPathSeparator(path[start - 1])) --start;
  return start;
}

}  // namespace

std::wstring FileNamePart(const std::wstring& path) { return path.substr(LastComponentStart(path)); }

std::wstring_view FileNamePartView(std::wstring_view path) {
  return path.substr(LastComponentStart(path));
}

std::wstring FolderPart(const std::wstring& path) { return path.substr(0, LastComponentStart(path)); }

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
  // Made to its exact size: a walk keeps a million of these as the rows' paths.
  const bool separated = !folder.empty() && IsPathSeparator(folder.back());
  std::wstring path;
  path.reserve(folder.size() + (separated ? 0 : 1) + name.size());
  path += folder;
  if (!separated) path += kPathSeparator;
  path += name;
  return path;
}

}  // namespace os
