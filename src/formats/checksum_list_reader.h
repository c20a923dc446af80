// Reading checksum lists as any program may have written them: UTF-16 LE,
// UTF-8 with its mark, or the system's 8-bit code page; lines ended by LF,
// CR LF, CR or NUL; reading ends at the first empty line.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/checksum_entry.h"
#include "os/whole_file.h"

// Splits list bytes into lines as they arrive, in chunks of any size: the
// result does not depend on where the chunks are cut. Memory grows with the
// lines kept and the line being read, never with the rest of the file.
class ChecksumListParser {
 public:
  // Takes the next bytes of the file. Returns false once the first empty
  // line has ended reading; bytes fed after that are ignored.
  bool Feed(std::string_view bytes);
  // The end of the file: ends the last line (the end reads as an empty line).
  void Finish();
  // The lines with a separator so far, in file order.
  std::vector<ChecksumLine>& lines() { return lines_; }

 private:
  enum class Encoding { kUnknown, kUtf16Le, kUtf8, kAnsi };

  void ChooseEncoding();
  void TakeUnits(std::string_view bytes);
  void TakeUnit(char32_t unit);
  void EndLine();

  Encoding encoding_ = Encoding::kUnknown;
  std::string head_;       // the first bytes, until the encoding is known
  std::string odd_byte_;   // UTF-16: the first byte of a unit cut by a chunk
  std::string line_bytes_; // 8-bit and UTF-8 lines, as bytes
  std::u16string line_units_;  // UTF-16 lines, as code units
  bool after_cr_ = false;
  bool done_ = false;
  std::vector<ChecksumLine> lines_;
};

// Reads the list file at `path` for a caller that shows its entries as they
// come: the names are resolved against the list's own folder and looked up
// while the rest of the file is read on another thread, so a long list's
// reading costs little time of its own. The entries are held back until the
// file proves readable to its end (a list is never checked in part): then
// `lines_read` gets the number of lines, and `take` the entries whose files
// exist and are not empty, in file order, in batches, as the sizes come in. `take` runs on
// the calling thread and returns false to stop, as `cancel` does once set.
// Returns false, having handed over nothing, when the file cannot be read to
// its end or memory runs out before; false too when stopped, or when memory
// runs out later (what was handed over stays).
struct ListReading {
  // Lookups at most at once: on a network share one at a time would spend
  // most of its time waiting.
  std::uint32_t in_flight = 8;
  std::size_t lines_per_slice = 65536;   // looked up while the rest is read
  const std::atomic<bool>* cancel = nullptr;
  os::ChunkRead read = os::ReadChunk;
};
bool ReadAndResolveChecksumList(const std::wstring& path, const ListReading& how,
                                const std::function<void(std::size_t lines)>& lines_read,
                                const std::function<bool(std::vector<ChecksumEntry>&)>& take);
