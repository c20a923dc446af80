// Hashes files chunk by chunk on a worker thread, with whole-percent progress.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "engine/chunk_source.h"
#include "engine/md5_digest.h"

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

// One per worker run: owns the chunk source (the chunk buffers and the reader
// thread, kept from file to file) and the digest. Each DigestFile opens its
// file and closes it before returning.
class FileDigestJob {
 public:
  FileDigestJob() = default;

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
  explicit FileDigestJob(const ChunkAllocator& allocate) : chunks_(allocate) {}

  DigestOutcome Discard(DigestOutcome outcome);

  ChunkSource chunks_;
  Md5Digest digest_;
};

// Percent of `done` in `expected`, truncated toward zero; 0 when expected is 0.
std::int32_t WholePercent(std::int64_t done, std::int64_t expected);
