// Replacing a file's content so that a failure never destroys the old one.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>

namespace os {

// Writes `bytes` to a new temporary file in the folder of `path`, flushes it
// and then puts it in place of `path` in one step, creating `path` when it
// does not exist. On any failure (folder missing or not writable, disk full,
// `path` read-only, locked or a folder) `path` keeps its old content and the
// temporary file is removed. Returns whether `path` now holds `bytes`.
//
// The temporary file has a short name of its own (os/replace_file_temp.h), so
// any name the file system takes can be replaced. Before writing, removes the
// temporary files that earlier saves in that folder left behind when their
// process was killed, leaving those of saves still running.
inline bool ReplaceFileContents(const std::wstring& path, std::string_view bytes);

// The same with the content given a piece at a time, so that a long one is
// never held whole: `next` sets its argument to the next piece, which stays
// valid until the next call, and returns false once there is no more. A piece
// that cannot be made (std::bad_alloc) fails the replacement as a failed
// write does.
using ContentPieces = std::function<bool(std::string_view* piece)>;
bool ReplaceFileContents(const std::wstring& path, const ContentPieces& next);

inline bool ReplaceFileContents(const std::wstring& path, std::string_view bytes) {
  bool given = false;
  return ReplaceFileContents(path, [&](std::string_view* piece) {
    *piece = bytes;
    return !std::exchange(given, true);
  });
}

}  // namespace os
