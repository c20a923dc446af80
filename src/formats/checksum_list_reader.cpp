#include "formats/checksum_list_reader.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <iterator>
#include <memory>
#include <mutex>
#include <new>

#include "formats/checksum_rows.h"
#include "os/codepage.h"
#include "os/file.h"
#include "os/ordered_walk.h"
#include "os/path_size.h"
#include "os/path_text.h"
#include "os/thread.h"
#include "os/whole_file.h"

namespace {

// The name before the first two spaces, the digest after them trimmed of
// spaces, each converted on its own.
template <typename Char, typename Convert>
bool SplitLine(std::basic_string_view<Char> line, Convert convert, ChecksumLine* out) {
  const Char space = static_cast<Char>(' ');
  const Char pair_of_spaces[] = {space, space};
  const std::size_t pair = line.find(std::basic_string_view<Char>(pair_of_spaces, 2));
  if (pair == line.npos) return false;
  std::size_t first = pair + 2;
  std::size_t last = line.size();
  while (first < last && line[first] == space) ++first;
  while (last > first && line[last - 1] == space) --last;
  out->name = convert(line.substr(0, pair));
  out->digest = convert(line.substr(first, last - first));
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
  // UTF-8 and UTF-16 lines are split before they are converted: a space is
  // never part of another character there, so the parts are the same, and a
  // million-line list makes one text fewer a line. A double-byte code page's
  // malformed lead byte may take the space after it, so 8-bit lines are
  // converted first.
  ChecksumLine line;
  bool split;
  if (encoding_ == Encoding::kUtf16Le) {
    split = SplitLine(std::u16string_view(line_units_), os::Utf16ToWide, &line);
  } else if (encoding_ == Encoding::kUtf8) {
    split = SplitLine(std::string_view(line_bytes_), os::Utf8ToWide, &line);
  } else {
    const std::wstring text = os::AnsiToWide(line_bytes_);
    split = SplitLine(std::wstring_view(text), [](std::wstring_view part) { return std::wstring(part); }, &line);
  }
  line_bytes_.clear();
  line_units_.clear();
  if (split) lines_.push_back(std::move(line));
}

std::vector<ChecksumLine> ParseChecksumList(std::string_view bytes) {
  ChecksumListParser parser;
  parser.Feed(bytes);
  parser.Finish();
  return std::move(parser.lines());
}

namespace {

// The lines in slices of at least `slice_lines` as they are parsed, the last
// slice at the end; false as ReadChecksumLines, or when `slice` says stop, or
// once `stop` is set (looked at after every chunk, as `cancel` is).
bool ReadLineSlices(const std::wstring& path, std::size_t slice_lines,
                    const std::function<bool(std::vector<ChecksumLine>&)>& slice, const std::atomic<bool>* cancel,
                    os::ChunkRead read, const std::atomic<bool>* stop = nullptr) {
  const os::FileHandle file = os::OpenForReading(path);
  if (file == os::kNoFile) return false;
  const auto cancelled = [cancel, stop] { return (cancel && cancel->load()) || (stop && stop->load()); };
  ChecksumListParser parser;
  bool read_ok;
  bool go_on = true;
  try {
    read_ok = os::ReadInChunks(file, [&](std::string_view chunk) {
      const bool more = parser.Feed(chunk);
      if (parser.lines().size() >= slice_lines) {
        go_on = slice(parser.lines());
        parser.lines().clear();
      }
      return more && go_on && !cancelled();
    }, read);
    parser.Finish();
    if (read_ok && go_on && !cancelled()) go_on = slice(parser.lines());
  } catch (const std::bad_alloc&) {
    read_ok = false;
  }
  os::CloseFile(file);
  // A list that could not be read to its end is not checked in part.
  return read_ok && go_on && !cancelled();
}

}  // namespace

bool ReadChecksumLines(const std::wstring& path, std::vector<ChecksumLine>* lines, const std::atomic<bool>* cancel,
                       os::ChunkRead read) {
  lines->clear();
  const std::size_t all = static_cast<std::size_t>(-1);
  if (ReadLineSlices(path, all, [lines](std::vector<ChecksumLine>& last) { lines->swap(last); return true; }, cancel, read))
    return true;
  lines->clear();
  return false;
}

namespace {

// Lines [from, to) of `lines` (packed as they wait, their sizes unused)
// resolved against the folder of the list at `list_path`, up to `in_flight`
// lookups at once, and the entries whose files exist and are not empty handed
// to `take` in file order, in batches, as the sizes come in. False when
// stopped, by `take`, `cancel`, or memory running out.
bool ResolvePackedLines(const std::wstring& list_path, const ChecksumRows& lines, std::size_t from, std::size_t to,
                        std::uint32_t in_flight,
                        const std::function<bool(std::vector<ChecksumEntry>&)>& take,
                        const std::atomic<bool>* cancel) {
  std::vector<std::wstring> paths;
  std::vector<ChecksumEntry> entries;
  try {
    const std::wstring folder = os::FolderPart(list_path);
    paths.reserve(to - from);
    for (std::size_t line = from; line < to; ++line) {
      paths.push_back(folder);
      AppendChecksumRowName(lines, line, &paths.back());
    }
    os::WalkSettings settings;
    settings.in_flight = in_flight;
    return os::WalkPaths(std::move(paths), settings, [&](std::vector<os::WalkedFile>& batch) {
      entries.clear();
      for (os::WalkedFile& found : batch) {
        // An empty file is skipped like a missing one: there is nothing to check.
        if (found.size <= 0) continue;
        entries.push_back(
            ChecksumEntry{ChecksumRowDigest(lines, from + found.given), std::move(found.path), folder.size(), found.size});
      }
      return entries.empty() || take(entries);
    }, cancel);
  } catch (const std::bad_alloc&) {
    return false;
  }
}

}  // namespace

namespace {

// Slices of lines on their way from the reading thread to the lookups.
struct LineSlices {
  std::mutex lock;
  std::condition_variable came;
  std::deque<ChecksumRows> waiting;  // packed: a long list waits here nearly whole
  std::size_t lines = 0;  // read so far
  bool ended = false;
  bool whole = false;  // read to its end
  // The lookups' side ended (a stop, a failure): the reader sees it after its
  // next chunk.
  std::atomic<bool> stop{false};
};

// The reading thread's owner: every way out of a list's reading, an
// exception's included, stops the thread and waits for it, since it reads the
// caller's cancel flag and read function.
struct ReaderEnd {
  std::shared_ptr<LineSlices> slices;
  ~ReaderEnd() {
    std::unique_lock<std::mutex> hold(slices->lock);
    slices->stop = true;
    slices->came.wait(hold, [this] { return slices->ended; });
    slices->waiting.clear();  // what a stop left unread goes back now, not with the last owner
  }
};

bool Cancelled(const ListReading& how) { return how.cancel && how.cancel->load(); }

}  // namespace

bool ReadAndResolveChecksumList(const std::wstring& path, const ListReading& how,
                                const std::function<void(std::size_t lines)>& lines_read,
                                const std::function<bool(std::vector<ChecksumEntry>&)>& take) {
  std::shared_ptr<LineSlices> slices;
  std::function<void()> reader;
  try {
    slices = std::make_shared<LineSlices>();
    reader = [slices, path, how] {
      // Each chunk's lines are packed as soon as they are parsed, and handed on
      // in slices of `lines_per_slice`: a long list waits packed nearly whole.
      const std::size_t per_slice = std::max<std::size_t>(1, how.lines_per_slice);
      ChecksumRows packed;
      bool whole = false;
      try {
        const auto hand_on = [&slices, &packed] {
          std::lock_guard<std::mutex> hold(slices->lock);
          slices->lines += packed.count;
          slices->waiting.push_back(std::move(packed));
          packed = ChecksumRows();
          slices->came.notify_one();
          return !slices->stop.load();
        };
        whole = ReadLineSlices(path, 1, [&](std::vector<ChecksumLine>& lines) {
          for (ChecksumLine& line : lines) {
            AppendChecksumRow(packed, line.name, line.digest, 0);
            std::wstring().swap(line.name);
            std::wstring().swap(line.digest);
          }
          return packed.count < per_slice || hand_on();
        }, how.cancel, how.read, &slices->stop);
        if (whole && packed.count > 0) whole = hand_on();
      } catch (const std::bad_alloc&) {
        whole = false;  // memory ran out: the list is not read whole
      }
      // Given back before the end is told: nothing of the reading outlives it.
      ReleaseChecksumRows(packed);
      std::lock_guard<std::mutex> hold(slices->lock);
      slices->ended = true;
      slices->whole = whole;
      slices->came.notify_one();
    };
  } catch (const std::bad_alloc&) {
    return false;  // nothing read, nothing handed over
  }
  // Without a thread of its own the file is read first, then looked up.
  bool started = false;
  try {
    started = os::StartThread(reader, false) != 0;
  } catch (const std::bad_alloc&) {
  }
  if (!started) reader();
  const ReaderEnd reader_end{slices};
  try {
    // Entries are held back, packed, until the file is known to be whole.
    const std::wstring folder = os::FolderPart(path);
    ChecksumRows held;
    bool released = false;
    const auto hold_or_take = [&](std::vector<ChecksumEntry>& entries) {
      if (!released) {
        std::size_t lines = 0;
        {
          std::lock_guard<std::mutex> hold(slices->lock);
          released = slices->ended && slices->whole;
          lines = slices->lines;
        }
        if (!released) {
          for (const ChecksumEntry& entry : entries)
            AppendChecksumRow(held, ChecksumEntryName(entry), entry.digest, entry.size);
          return true;
        }
        lines_read(lines);
        // In parts, as the lookups hand them over: the taker's work per part
        // stays short, and a stop is seen between two parts.
        constexpr std::size_t kMostPerPart = 16384;
        for (std::size_t at = 0; at < held.count; at += kMostPerPart) {
          if (Cancelled(how)) return false;
          std::vector<ChecksumEntry> part;
          part.reserve(std::min(kMostPerPart, held.count - at));
          for (std::size_t row = at; row < held.count && row < at + kMostPerPart; ++row) {
            ChecksumEntry entry{ChecksumRowDigest(held, row), folder, folder.size(), ChecksumRowAt(held, row).size};
            AppendChecksumRowName(held, row, &entry.path);
            part.push_back(std::move(entry));
          }
          if (!take(part)) return false;
        }
        ReleaseChecksumRows(held);
      }
      if (entries.empty()) return true;
      return !Cancelled(how) && take(entries);
    };
    bool go_on = true;
    std::unique_lock<std::mutex> hold(slices->lock);
    while (go_on) {
      slices->came.wait(hold, [&slices] { return !slices->waiting.empty() || slices->ended; });
      if (slices->waiting.empty()) break;
      ChecksumRows slice = std::move(slices->waiting.front());
      slices->waiting.pop_front();
      hold.unlock();
      // A part at a time: the full paths of a whole slice would take more
      // memory than its lines do packed.
      constexpr std::size_t kLookedUpAtOnce = 16384;
      for (std::size_t from = 0; go_on && from < slice.count; from += kLookedUpAtOnce)
        go_on = ResolvePackedLines(path, slice, from, std::min(slice.count, from + kLookedUpAtOnce), how.in_flight,
                                   hold_or_take, how.cancel);
      if (!go_on) slices->stop = true;  // the reader ends at its next chunk, not at its next slice
      ReleaseChecksumRows(slice);
      hold.lock();
    }
    if (!go_on || !slices->whole) return false;
    hold.unlock();
    std::vector<ChecksumEntry> none;
    return hold_or_take(none) && !Cancelled(how);
  } catch (const std::bad_alloc&) {
    return false;  // what was handed over stays
  }
}

std::vector<ChecksumEntry> ReadChecksumList(const std::wstring& path) {
  std::vector<ChecksumEntry> all;
  const bool whole = ReadAndResolveChecksumList(path, ListReading{}, [&all](std::size_t lines) { all.reserve(lines); },
                                                [&all](std::vector<ChecksumEntry>& entries) {
    all.insert(all.end(), std::make_move_iterator(entries.begin()), std::make_move_iterator(entries.end()));
    return true;
  });
  if (!whole) all.clear();
  return all;
}
