#include "formats/checksum_list_reader.h"

#include <iterator>
#include <new>

#include "os/codepage.h"
#include "os/file.h"
#include "os/ordered_walk.h"
#include "os/path_size.h"
#include "os/path_text.h"
#include "os/whole_file.h"

namespace {

bool SplitLine(const std::wstring& line, ChecksumLine* out) {
  const std::size_t pair = line.find(L"  ");
  if (pair == std::wstring::npos) return false;
  std::size_t first = pair + 2;
  std::size_t last = line.size();
  while (first < last && line[first] == L' ') ++first;
  while (last > first && line[last - 1] == L' ') --last;
  out->name = line.substr(0, pair);
  out->digest = line.substr(first, last - first);
  return true;
}

}  // namespace

bool ChecksumListParser::Feed(std::string_view bytes) {
  if (done_) return false;
  if (encoding_ == Encoding::kUnknown) {
    const std::size_t take = bytes.size() < 4 - head_.size() ? bytes.size() : 4 - head_.size();
    head_.append(bytes.data(), take);
    bytes.remove_prefix(take);
    if (head_.size() < 4) return true;
    ChooseEncoding();
  }
  TakeUnits(bytes);
  return !done_;
}

void ChecksumListParser::Finish() {
  if (done_) return;
  if (encoding_ == Encoding::kUnknown) ChooseEncoding();
  if (!done_) EndLine();  // an unpaired last UTF-16 byte is dropped
  done_ = true;
}

// The encoding is read once, from up to four first bytes, testing in this
// order: FF FE (so FF FE 00 00 counts as UTF-16), EF BB BF, FE FF, 00 00 FE FF.
void ChecksumListParser::ChooseEncoding() {
  std::string head;
  head.swap(head_);
  std::size_t skip = 0;
  if (head.compare(0, 2, "\xFF\xFE") == 0) {
    encoding_ = Encoding::kUtf16Le, skip = 2;
  } else if (head.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    encoding_ = Encoding::kUtf8, skip = 3;
  } else if (head.compare(0, 2, "\xFE\xFF") == 0) {
    encoding_ = Encoding::kAnsi, skip = 2;
  } else if (head.compare(0, 4, std::string_view("\0\0\xFE\xFF", 4)) == 0) {
    encoding_ = Encoding::kAnsi, skip = 4;
  } else {
    encoding_ = Encoding::kAnsi;
  }
  TakeUnits(std::string_view(head).substr(skip));
}

void ChecksumListParser::TakeUnits(std::string_view bytes) {
  if (encoding_ != Encoding::kUtf16Le) {
    // A run of a line's bytes at a time: lists run to millions of lines.
    while (!bytes.empty() && !done_) {
      std::size_t end = 0;
      while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r' && bytes[end] != '\0') ++end;
      if (end > 0) {
        after_cr_ = false;
        line_bytes_.append(bytes.data(), end);
      }
      if (end == bytes.size()) return;
      TakeUnit(static_cast<unsigned char>(bytes[end]));
      bytes.remove_prefix(end + 1);
    }
    return;
  }
  std::size_t i = 0;
  if (!odd_byte_.empty() && !bytes.empty()) {
    const auto low = static_cast<unsigned char>(odd_byte_[0]);
    odd_byte_.clear();
    TakeUnit(static_cast<char32_t>(low | (static_cast<unsigned char>(bytes[0]) << 8)));
    i = 1;
  }
  for (; i + 1 < bytes.size() && !done_; i += 2) {
    TakeUnit(static_cast<char32_t>(static_cast<unsigned char>(bytes[i]) |
                                   (static_cast<unsigned char>(bytes[i + 1]) << 8)));
  }
  if (i < bytes.size() && !done_) odd_byte_.assign(1, bytes[i]);
}

void ChecksumListParser::TakeUnit(char32_t unit) {
  if (after_cr_) {
    after_cr_ = false;
    if (unit == U'\n') return;  // the LF of a CR LF
  }
  if (unit == U'\n' || unit == U'\r' || unit == 0) {
    after_cr_ = unit == U'\r';
    EndLine();
  } else if (encoding_ == Encoding::kUtf16Le) {
    line_units_ += static_cast<char16_t>(unit);
  } else {
    line_bytes_ += static_cast<char>(unit);
  }
}

void ChecksumListParser::EndLine() {
  if (line_bytes_.empty() && line_units_.empty()) {
    done_ = true;
    return;
  }
  std::wstring text;
  if (encoding_ == Encoding::kUtf16Le) {
    text = os::Utf16ToWide(line_units_);
  } else if (encoding_ == Encoding::kUtf8) {
    text = os::Utf8ToWide(line_bytes_);
  } else {
    text = os::AnsiToWide(line_bytes_);
  }
  line_bytes_.clear();
  line_units_.clear();
  ChecksumLine line;
  if (SplitLine(text, &line)) lines_.push_back(std::move(line));
}

std::vector<ChecksumLine> ParseChecksumList(std::string_view bytes) {
  ChecksumListParser parser;
  parser.Feed(bytes);
  parser.Finish();
  return std::move(parser.lines());
}

bool ReadChecksumLines(const std::wstring& path, std::vector<ChecksumLine>* lines, const std::atomic<bool>* cancel,
                       os::ChunkRead read) {
  lines->clear();
  const os::FileHandle file = os::OpenForReading(path);
  if (file == os::kNoFile) return false;
  const auto cancelled = [cancel] { return cancel && cancel->load(); };
  ChecksumListParser parser;
  bool read_ok;
  try {
    read_ok = os::ReadInChunks(file, [&](std::string_view chunk) { return parser.Feed(chunk) && !cancelled(); }, read);
    parser.Finish();
  } catch (const std::bad_alloc&) {
    read_ok = false;
  }
  os::CloseFile(file);
  // A list that could not be read to its end is not checked in part.
  if (!read_ok || cancelled()) return false;
  lines->swap(parser.lines());
  return true;
}

bool ResolveChecksumLines(const std::wstring& list_path, std::vector<ChecksumLine> lines, std::uint32_t in_flight,
                          const std::function<bool(std::vector<ChecksumEntry>&)>& take,
                          const std::atomic<bool>* cancel) {
  std::vector<std::wstring> paths;
  std::vector<ChecksumEntry> entries;
  try {
    const std::wstring folder = os::FolderPart(list_path);
    paths.reserve(lines.size());
    for (const ChecksumLine& line : lines) paths.push_back(folder + line.name);
    os::WalkSettings settings;
    settings.in_flight = in_flight;
    return os::WalkPaths(std::move(paths), settings, [&](std::vector<os::WalkedFile>& batch) {
      entries.clear();
      for (os::WalkedFile& found : batch) {
        // An empty file is skipped like a missing one: there is nothing to check.
        if (found.size <= 0) continue;
        ChecksumLine& line = lines[found.given];
        entries.push_back(ChecksumEntry{std::move(line.name), std::move(line.digest), std::move(found.path), found.size});
      }
      return entries.empty() || take(entries);
    }, cancel);
  } catch (const std::bad_alloc&) {
    return false;
  }
}

std::vector<ChecksumEntry> ReadChecksumList(const std::wstring& path) {
  std::vector<ChecksumEntry> all;
  std::vector<ChecksumLine> lines;
  const bool whole = ReadChecksumLines(path, &lines) && ResolveChecksumLines(path, std::move(lines), 8, [&all](std::vector<ChecksumEntry>& entries) {
    all.insert(all.end(), std::make_move_iterator(entries.begin()), std::make_move_iterator(entries.end()));
    return true;
  });
  if (!whole) all.clear();
  return all;
}
