// Writing checksum lists: one line per ticked, hashed row of the file list,
// "name  digest" and CR LF, in row order. The file holds the UTF-8 mark and
// the lines in UTF-8; the file list's Copy puts the same lines on the
// clipboard without the mark.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// What a list line is made of: one row of the file list as the user sees it.
struct ChecksumRow {
  bool ticked = false;
  std::wstring name;  // the File column: the file name without any folder
  std::wstring hash;  // the Hash column: empty until the row is hashed
};

// Whether a row makes a line: it is ticked and has been hashed.
inline bool InChecksumList(bool ticked, bool hashed) { return ticked && hashed; }

// The lines of every ticked row that has a Hash text; "" when none has.
std::wstring ChecksumListText(const std::vector<ChecksumRow>& rows);
// Appends one such line to `text`.
void AppendChecksumLine(std::wstring* text, std::wstring_view name, std::wstring_view hash);

// The exact bytes of a list file: EF BB BF, then ChecksumListText in UTF-8.
std::string ChecksumListBytes(const std::vector<ChecksumRow>& rows);

// `path` with ".md5" appended unless the extension of its last component is
// already "md5" in any case: "sums" and "sums.txt" gain it, "sums.MD5" and
// "a.md5" keep their names, and "dir.v2\sums" gains it.
std::wstring WithMd5Extension(const std::wstring& path);

// Writes ChecksumListBytes(rows) to exactly `path`, replacing an existing file
// only once the new content is complete. Returns false, leaving any old file
// as it was, when the file cannot be written.
bool WriteChecksumList(const std::wstring& path, const std::vector<ChecksumRow>& rows);
// The same for lines made already (ChecksumListText's).
bool WriteChecksumListText(const std::wstring& path, const std::wstring& text);

// Lines made a piece at a time, for a list too long to hold whole: `next`
// appends the next lines to its argument, which comes empty, and returns
// false once there are none left.
using ChecksumLinePieces = std::function<bool(std::wstring* lines)>;
// Writes the mark, then each piece's lines in UTF-8, as WriteChecksumList
// does: no more than one piece is held at a time, in either form.
bool WriteChecksumListPieces(const std::wstring& path, const ChecksumLinePieces& next);
// Lines of about this many characters make a piece: a few MB in UTF-8.
inline constexpr std::size_t kChecksumPieceChars = 1 << 20;
