// Reading files for the digest job, a chunk at a time, beside its hashing.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "os/file.h"

struct Md5Digest;

inline constexpr std::uint32_t kChunkSize = 16 * 1024 * 1024;
// Below this a run gives up rather than hash in tiny pieces.
inline constexpr std::uint32_t kSmallestChunkSize = 64 * 1024;
// Reads go a piece of the chunk at a time, so hashing can follow closely.
inline constexpr std::uint32_t kPiecesPerChunk = 16;

// Reads into a buffer, as os::ReadChunk does; called on the worker and on the
// reader thread, one call at a time.
using ChunkReader = std::function<bool(os::FileHandle file, void* buffer, std::uint32_t size,
                                       std::uint32_t* delivered)>;
// Allocates a buffer of the given size, its bytes not yet set, or returns null.
using ChunkAllocator = std::function<std::unique_ptr<std::uint8_t[]>(std::uint32_t size)>;

// The thread that reads the next chunk while the current one is hashed.
struct ReadAhead;

// The chunk buffers and the reader thread of one job, kept from file to file.
//
// Reads run on the reader thread a piece at a time (kPiecesPerChunk to the
// chunk), and the landed pieces are hashed while the rest is read. After a
// read that fills the chunk, the next read starts at once into the second
// buffer and runs beside this chunk's hashing, report and pause. The reads,
// reports, pauses, stop checks and outcomes are those of reading in turn. The
// thread is had at the first file longer than a piece, the second buffer
// (a chunk's size from the allocator, left unset: the reader takes its first
// page faults, off the worker's path) at the first full chunk; without the
// thread, reads simply run in turn.
class ChunkSource {
 public:
  // Allocates the chunk buffer, zero-filled: kChunkSize bytes, or when that
  // fails the largest of its halvings down to kSmallestChunkSize that succeeds.
  // `allocate` is kept for the second buffer. The first form uses new.
  ChunkSource();
  explicit ChunkSource(const ChunkAllocator& allocate);
  ~ChunkSource();

  // False when not even the smallest buffer could be had; no file opens then.
  bool HasBuffer() const { return buffer_ != nullptr; }

  // One file, read through the source: ReadFirst, then HashChunk and ReadNext
  // in turn until a chunk comes back empty or a read fails. On every way out
  // the read still outstanding is cut short and waited for, then the file
  // closes.
  class File {
   public:
    // Opens `path`, unless the source has no buffer.
    File(ChunkSource& source, const std::wstring& path);
    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    bool Opened() const { return file_ != os::kNoFile; }
    // Starts reading the first chunk.
    void ReadFirst();
    // Adds the chunk's bytes to `digest` as they land, and sets *size to the
    // chunk's length (0 at the end of the file). False when its read failed:
    // the bytes added before are the digest's to throw away.
    bool HashChunk(Md5Digest& digest, std::uint32_t* size);
    // Starts reading the next chunk, unless it is already being read ahead.
    void ReadNext();

   private:
    void ReadOnReader(std::uint8_t* into, std::uint32_t already);
    std::uint32_t HashWhileReading(Md5Digest& digest);

    ChunkSource& source_;
    os::FileHandle file_;
    std::uint32_t piece_;
    std::uint8_t* chunk_;  // the buffer the current chunk is read into
    std::uint32_t size_ = 0;
    bool read_ok_ = true;
    ReadAhead* reading_ = nullptr;  // the reader, while it reads for this file
  };

 private:
  friend struct FileDigestJobTestAccess;

  bool ReaderReady();
  bool SecondBufferReady();
  // Of the read under way, the bytes already taken for hashing: what another
  // thread may safely ask while the job runs.
  std::uint32_t BytesTakenFromReader();

  std::unique_ptr<std::uint8_t[]> buffer_;
  std::uint32_t chunk_size_ = 0;
  ChunkAllocator allocate_;
  ChunkReader read_ = os::ReadChunk;  // every read of the job
  std::unique_ptr<std::uint8_t[]> second_buffer_;
  std::unique_ptr<ReadAhead> read_ahead_;
  bool reader_unavailable_ = false;
  bool second_buffer_unavailable_ = false;
};
