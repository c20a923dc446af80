// Hashes files chunk by chunk on a worker thread, with whole-percent progress.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "engine/chunk_source.h"
#include "engine/md5_digest.h"
#include "os/pause.h"

enum class DigestOutcome {
  Digested,    // the digest text of the whole file
  NotOpened,   // the file could not be opened; nothing read, nothing reported
  Stopped,     // the run's stop request was seen after a chunk
  ReadFailed,  // a read failed part-way; no digest, treat like NotOpened
};

// A stop request that belongs to one run: Stop sets it, that run's worker
// obeys it. A new run gets a new token, so a late request never reaches it.
struct StopToken {
  std::atomic<std::int32_t> requested{0};
};

using ProgressReport = std::function<void(std::int32_t percent)>;

// How far a worker has come, in bytes, for the window thread to read while it
// runs (the taskbar button's progress). Each figure stands alone, so relaxed
// loads and stores serve: one read a moment apart from another only moves a
// bar a little, and the reader keeps its value within its total.
struct HashedBytes {
  std::atomic<std::int64_t> done{0};       // the job: every file's bytes so far
  std::atomic<std::int64_t> file_done{0};  // the job: the current file's
  std::atomic<std::int64_t> file_size{0};  // the job: the current file's expected size
  std::atomic<std::uint64_t> position{0};  // the worker: which item it is at, in its own terms; 0 before the first
  std::atomic<std::int64_t> after{0};      // a worker that knows it: the bytes of the items after that one
};

// One per worker run: owns the chunk source (the chunk buffers and the reader
// thread, kept from file to file) and the digest. Each DigestFile opens its
// file and closes it before returning.
class FileDigestJob {
 public:
  // Made on the worker thread that uses it: that thread runs at full speed
  // from then on (it ends with the run or check that made it).
  FileDigestJob();

  // From now on the bytes hashed are counted into `meter` (null: not counted),
  // which must outlive the job's use of it.
  void CountInto(HashedBytes* meter) { meter_ = meter; }

  // False when not even the smallest chunk buffer could be had; DigestFile
  // then returns NotOpened for every file.
  bool HasBuffer() const { return chunks_.HasBuffer(); }

  // Hashes the file at `path`. `expected_size` only scales the percent, which
  // is reported when its whole value changes. `stop` may be null.
  DigestOutcome DigestFile(const std::wstring& path, std::int64_t expected_size, const ProgressReport& report,
                           StopToken* stop, std::wstring* digest_text);

 private:
  // The engine's tests: they replace the allocator and the reads, deny the
  // reader thread and look at the buffers and the digest.
  friend struct FileDigestJobTestAccess;
  explicit FileDigestJob(const ChunkAllocator& allocate);

  DigestOutcome Discard(DigestOutcome outcome);

  ChunkSource chunks_;
  Md5Digest digest_;
  os::Pause pause_;  // the thread's pauses; its timer is made once for the run
  HashedBytes* meter_ = nullptr;
};

// Percent of `done` in `expected`, truncated toward zero; 0 when expected is 0.
std::int32_t WholePercent(std::int64_t done, std::int64_t expected);
