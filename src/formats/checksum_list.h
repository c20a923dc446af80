// Writing checksum lists: one line per ticked, hashed row of the file list,
// "name  digest" and CR LF, in row order. The file holds the UTF-8 mark and
// the lines in UTF-8; the file list's Copy puts the same lines on the
// clipboard without the mark.
#pragma once

#include <functional>
#include <string>
#include <string_view>

// Whether a row makes a line: it is ticked and has been hashed.
inline bool InChecksumList(bool ticked, bool hashed) { return ticked && hashed; }

// Appends one line, "name  digest" and CR LF, to `text`.
void AppendChecksumLine(std::wstring* text, std::wstring_view name, std::wstring_view hash);

// What a list file starts with: the UTF-8 mark.
inline constexpr std::string_view kChecksumListMark = "\xEF\xBB\xBF";

// `path` with ".md5" appended unless the extension of its last component is
// already "md5" in any case: "sums" and "sums.txt" gain it, "sums.MD5" and
// "a.md5" keep their names, and "dir.v2\sums" gains it.
std::wstring WithMd5Extension(const std::wstring& path);

// Lines made a piece at a time, for a list too long to hold whole: `next`
// appends the next lines to its argument, which comes empty, and returns
// false once there are none left.
using ChecksumLinePieces = std::function<bool(std::wstring* lines)>;
// Writes the mark, then each piece's lines in UTF-8, to exactly `path`,
// replacing an existing file only once the new content is complete: no more
// than one piece is held at a time, in either form. Returns false, leaving
// any old file as it was, when the file cannot be written or memory runs out.
bool WriteChecksumListPieces(const std::wstring& path, const ChecksumLinePieces& next);
// Lines of about this many characters make a piece: a few MB in UTF-8.
inline constexpr std::size_t kChecksumPieceChars = 1 << 20;
