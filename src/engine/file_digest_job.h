// Hashes files chunk by chunk on a worker thread, with whole-percent progress.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "engine/md5_digest.h"
#include "os/file.h"

inline constexpr std::uint32_t kChunkSize = 16 * 1024 * 1024;
// Below this a run gives up rather than hash in tiny pieces.
inline constexpr std::uint32_t kSmallestChunkSize = 64 * 1024;
// Reads go a piece of the chunk at a time, so hashing can follow closely.
inline constexpr std::uint32_t kPiecesPerChunk = 16;

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
// Reads into a buffer, as os::ReadChunk does; called on the worker and on the
// reader thread, one call at a time.
using ChunkReader = std::function<bool(os::FileHandle file, void* buffer, std::uint32_t size,
                                       std::uint32_t* delivered)>;
// Allocates a buffer of the given size, its bytes not yet set, or returns null.
using ChunkAllocator = std::function<std::unique_ptr<std::uint8_t[]>(std::uint32_t size)>;

// The thread that reads the next chunk while the current one is hashed.
struct ReadAhead;

// One per worker run: owns the chunk buffers, the open file and the digest.
struct FileDigestJob {
  // Allocates the chunk buffer, zero-filled: kChunkSize bytes, or when that
  // fails the largest of its halvings down to kSmallestChunkSize that succeeds.
  // `allocate` is kept for the second buffer (see read_ahead).
  FileDigestJob();
  explicit FileDigestJob(const ChunkAllocator& allocate);
  ~FileDigestJob();

  // False when not even the smallest buffer could be had; DigestFile then
  // returns NotOpened for every file.
  bool HasBuffer() const { return buffer != nullptr; }

  // Hashes the file at `path`. `expected_size` only scales the percent, which
  // is reported when its whole value changes. `stop` may be null.
  DigestOutcome DigestFile(const std::wstring& path, std::int64_t expected_size, const ProgressReport& report,
                           StopToken* stop, std::wstring* digest_text);

  std::unique_ptr<std::uint8_t[]> buffer;
  std::uint32_t chunk_size = 0;
  Md5Digest digest;

  // Reading beside hashing. Reads run on a reader thread a piece at a time
  // (kPiecesPerChunk to the chunk), and the landed pieces are hashed while the
  // rest is read. After a read that fills the chunk, the next read starts at
  // once into a second buffer and runs beside this chunk's hashing, report and
  // pause. The reads, reports, pauses, stop checks and outcomes are those of
  // reading in turn. The thread is had at the first file longer than a piece,
  // the second buffer (chunk_size bytes from the allocator, left unset: the
  // reader takes its first page faults, off the worker's path) at the first
  // full chunk, and both are kept for the job's life; without the thread,
  // reads simply run in turn.
  bool ReaderReady();
  bool SecondBufferReady();
  ChunkAllocator allocate_chunk;
  ChunkReader read_chunk = os::ReadChunk;  // every read of the job; replaceable in tests
  std::unique_ptr<std::uint8_t[]> second_buffer;
  std::unique_ptr<ReadAhead> read_ahead;
  bool reader_unavailable = false;
  bool second_buffer_unavailable = false;
};

// Percent of `done` in `expected`, truncated toward zero; 0 when expected is 0.
std::int32_t WholePercent(std::int64_t done, std::int64_t expected);
