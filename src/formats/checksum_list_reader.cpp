#include "formats/checksum_list_reader.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <new>

#include "formats/packed_lines.h"
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

namespace {

// Lines are looked up, and held entries handed over, in parts of this many:
// a part's full paths stay a few MB, the taker's work on a part stays short,
// and a stop is seen between two parts.
constexpr std::size_t kEntriesPerPart = 16384;

using EntryTaker = std::function<bool(std::vector<ChecksumEntry>&)>;

bool Cancelled(const ListReading& how) { return how.cancel && how.cancel->load(); }

// Reads the list at `path`, handing `lines` what each chunk completed (the
// rest at the end, perhaps none); false when the file cannot be opened or
// read to its end, or when `lines` says stop, or once `cancel` or `stop` is
// set (looked at after every chunk).
bool ReadLines(const std::wstring& path, const std::function<bool(std::vector<ChecksumLine>&)>& lines,
               const ListReading& how, const std::atomic<bool>& stop) {
  const os::FileHandle file = os::OpenForReading(path);
  if (file == os::kNoFile) return false;
  const auto stopped = [&how, &stop] { return Cancelled(how) || stop.load(); };
  ChecksumListParser parser;
  bool read_ok;
  bool go_on = true;
  try {
    read_ok = os::ReadInChunks(file, [&](std::string_view chunk) {
      const bool more = parser.Feed(chunk);
      if (!parser.lines().empty()) {
        go_on = lines(parser.lines());
        parser.lines().clear();
      }
      return more && go_on && !stopped();
    }, how.read);
    parser.Finish();
    if (read_ok && go_on && !stopped()) go_on = lines(parser.lines());
  } catch (const std::bad_alloc&) {
    read_ok = false;
  }
  os::CloseFile(file);
  // A list that could not be read to its end is not checked in part.
  return read_ok && go_on && !stopped();
}

// Lines [from, to) of `lines` (packed as they wait, their sizes unused) looked
// up in `folder`, the list's, `how.in_flight` at once, and the entries whose
// files exist and are not empty handed to `take` in file order, in batches,
// as the sizes come in. False when stopped, by `take`, `cancel`, or memory
// running out.
bool LookUpPart(const std::wstring& folder, const PackedLines& lines, std::size_t from, std::size_t to,
                const ListReading& how, const EntryTaker& take) {
  std::vector<std::wstring> paths;
  std::vector<ChecksumEntry> entries;
  try {
    paths.reserve(to - from);
    for (std::size_t line = from; line < to; ++line) {
      paths.push_back(folder);
      AppendPackedName(lines, line, &paths.back());
    }
    os::WalkSettings settings;
    settings.in_flight = how.in_flight;
    return os::WalkPaths(std::move(paths), settings, [&](std::vector<os::WalkedFile>& batch) {
      entries.clear();
      for (os::WalkedFile& found : batch) {
        // An empty file is skipped like a missing one: there is nothing to check.
        if (found.size <= 0) continue;
        entries.push_back(
            ChecksumEntry{PackedDigest(lines, from + found.given), std::move(found.path), folder.size(), found.size});
      }
      return entries.empty() || take(entries);
    }, how.cancel);
  } catch (const std::bad_alloc&) {
    return false;
  }
}

// Slices of lines on their way from the reading thread to the lookups.
// Every field but `stop` is guarded by `lock`.
struct LineSlices {
  std::mutex lock;
  std::condition_variable came;
  std::deque<PackedLines> waiting;  // packed: a long list waits here nearly whole
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

// Hands the lines packed so far on to the lookups; false once they stopped.
bool HandOn(LineSlices& slices, PackedLines& packed) {
  std::lock_guard<std::mutex> hold(slices.lock);
  slices.lines += PackedLineCount(packed);
  slices.waiting.push_back(std::move(packed));
  packed = PackedLines();
  slices.came.notify_one();
  return !slices.stop.load();
}

// The reading thread: each chunk's lines are packed as soon as they are
// parsed, and handed on in slices of `lines_per_slice`.
void ReadIntoSlices(LineSlices& slices, const std::wstring& path, const ListReading& how) {
  const std::size_t per_slice = std::max<std::size_t>(1, how.lines_per_slice);
  PackedLines packed;
  bool whole = false;
  try {
    whole = ReadLines(path, [&](std::vector<ChecksumLine>& lines) {
      PackLines(lines, packed);
      return PackedLineCount(packed) < per_slice || HandOn(slices, packed);
    }, how, slices.stop);
    if (whole && PackedLineCount(packed) > 0) whole = HandOn(slices, packed);
  } catch (const std::bad_alloc&) {
    whole = false;  // memory ran out: the list is not read whole
  }
  // Given back before the end is told: nothing of the reading outlives it.
  ReleasePackedLines(packed);
  std::lock_guard<std::mutex> hold(slices.lock);
  slices.ended = true;
  slices.whole = whole;
  slices.came.notify_one();
}

// The reading under way on a thread of its own; without one, the file is
// read here first, then looked up. Null when memory runs out first.
std::shared_ptr<LineSlices> StartReading(const std::wstring& path, const ListReading& how) {
  std::shared_ptr<LineSlices> slices;
  std::function<void()> reader;
  try {
    slices = std::make_shared<LineSlices>();
    reader = [slices, path, how] { ReadIntoSlices(*slices, path, how); };
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  bool started = false;
  try {
    started = os::StartThread(reader, false) != 0;
  } catch (const std::bad_alloc&) {
  }
  if (!started) reader();
  return slices;
}

// The entries the lookups find, held back packed until the file is known to
// be whole, then handed over with the number of lines. The calling thread's
// alone; it reads `slices` under their lock.
struct HeldEntries {
  LineSlices& slices;
  const ListReading& how;
  const std::function<void(std::size_t lines)>& lines_read;
  const EntryTaker& take;
  std::wstring folder;  // the list's
  PackedLines held;
  bool released = false;
};

// In parts, as the lookups hand them over.
bool HandOverHeld(HeldEntries& entries) {
  const std::size_t count = PackedLineCount(entries.held);
  for (std::size_t at = 0; at < count; at += kEntriesPerPart) {
    if (Cancelled(entries.how)) return false;
    std::vector<ChecksumEntry> part;
    part.reserve(std::min(kEntriesPerPart, count - at));
    for (std::size_t line = at; line < count && line < at + kEntriesPerPart; ++line)
      part.push_back(UnpackedEntry(entries.held, line, entries.folder));
    if (!entries.take(part)) return false;
  }
  ReleasePackedLines(entries.held);
  return true;
}

// The lookups' taker: holds `found` while the file may yet fail, else hands
// over what was held, then `found`. False to stop.
bool HoldOrTake(HeldEntries& entries, std::vector<ChecksumEntry>& found) {
  if (!entries.released) {
    std::size_t lines = 0;
    {
      std::lock_guard<std::mutex> hold(entries.slices.lock);
      entries.released = entries.slices.ended && entries.slices.whole;
      lines = entries.slices.lines;
    }
    if (!entries.released) {
      for (const ChecksumEntry& entry : found) AppendPackedEntry(entries.held, entry);
      return true;
    }
    entries.lines_read(lines);
    if (!HandOverHeld(entries)) return false;
  }
  if (found.empty()) return true;
  return !Cancelled(entries.how) && entries.take(found);
}

// Looks up each slice as it comes, a part at a time (the full paths of a
// whole slice would take more memory than its lines do packed). True when
// every slice was looked up and the file was read whole.
bool LookUpSlices(LineSlices& slices, HeldEntries& entries) {
  const EntryTaker taker = [&entries](std::vector<ChecksumEntry>& found) { return HoldOrTake(entries, found); };
  bool go_on = true;
  std::unique_lock<std::mutex> hold(slices.lock);
  while (go_on) {
    slices.came.wait(hold, [&slices] { return !slices.waiting.empty() || slices.ended; });
    if (slices.waiting.empty()) break;
    PackedLines slice = std::move(slices.waiting.front());
    slices.waiting.pop_front();
    hold.unlock();
    const std::size_t count = PackedLineCount(slice);
    for (std::size_t from = 0; go_on && from < count; from += kEntriesPerPart)
      go_on = LookUpPart(entries.folder, slice, from, std::min(count, from + kEntriesPerPart), entries.how, taker);
    if (!go_on) slices.stop = true;  // the reader ends at its next chunk, not at its next slice
    ReleasePackedLines(slice);
    hold.lock();
  }
  return go_on && slices.whole;
}

}  // namespace

bool ReadAndResolveChecksumList(const std::wstring& path, const ListReading& how,
                                const std::function<void(std::size_t lines)>& lines_read, const EntryTaker& take) {
  const std::shared_ptr<LineSlices> slices = StartReading(path, how);
  if (!slices) return false;  // nothing read, nothing handed over
  const ReaderEnd reader_end{slices};
  try {
    HeldEntries entries{*slices, how, lines_read, take, os::FolderPart(path), PackedLines(), false};
    if (!LookUpSlices(*slices, entries)) return false;
    std::vector<ChecksumEntry> none;  // the lookups may all have ended before the file proved whole
    return HoldOrTake(entries, none) && !Cancelled(how);
  } catch (const std::bad_alloc&) {
    return false;  // what was handed over stays
  }
}
