// Checksum list reading over arbitrary bytes: encoding detection, line
// splitting and the name/digest split. Besides the sanitizers it checks that
// the lines do not depend on where the input is cut into chunks, that no
// line holds what should have split or ended it, and that writing the lines
// back reads the same lines.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "formats/checksum_list.h"
#include "formats/checksum_list_reader.h"
#include "../tests/checksum_list_helpers.h"

namespace {

void Require(bool holds) {
  if (!holds) std::abort();
}

bool SameLines(const std::vector<ChecksumLine>& a, const std::vector<ChecksumLine>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].name != b[i].name || a[i].digest != b[i].digest) return false;
  }
  return true;
}

bool HasLineEnd(const std::wstring& text) { return text.find_first_of(std::wstring(L"\r\n\0", 3)) != std::wstring::npos; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::vector<ChecksumLine> whole = ParseChecksumList(bytes);

  const std::size_t cut = size == 0 ? 0 : (data[0] * 131u + data[size - 1]) % (size + 1);
  ChecksumListParser parser;
  parser.Feed(bytes.substr(0, cut));
  parser.Feed(bytes.substr(cut));
  parser.Finish();
  Require(SameLines(parser.lines(), whole));

  std::vector<ShownRow> rows;
  std::vector<ChecksumLine> written;
  for (const ChecksumLine& line : whole) {
    Require(line.name.find(L"  ") == std::wstring::npos);
    Require(!HasLineEnd(line.name) && !HasLineEnd(line.digest));
    Require(line.digest.empty() || (line.digest.front() != L' ' && line.digest.back() != L' '));
    if (line.digest.empty()) continue;  // the writer leaves rows without a digest out
    rows.push_back({true, line.name, line.digest});
    written.push_back(line);
  }
  Require(SameLines(ParseChecksumList(ListBytesOf(rows)), written));
  return 0;
}
