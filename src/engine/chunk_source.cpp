#include "engine/chunk_source.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <mutex>
#include <new>
#include <thread>

#include "engine/md5_digest.h"
#include "os/keep_awake.h"

// Reads one chunk at a time on its own thread, a piece after another, so that
// the bytes that have landed can be hashed while the rest is read. Begin hands
// it a read; Progress tells how far it got. At most one read is outstanding.
struct ReadAhead {
  // Throws std::system_error when no thread can be had.
  ReadAhead() : thread([this] { Run(); }) {}

  ~ReadAhead() {
    {
      std::lock_guard<std::mutex> lock(mutex);
      quit = true;
    }
    changed.notify_all();
    thread.join();
  }

  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  // Reads buffer[already, size) in pieces of `piece` bytes; the chunk ends at
  // the first piece that comes back short, as a single read would.
  void Begin(const ChunkReader& read, os::FileHandle file, std::uint8_t* buffer, std::uint32_t already,
             std::uint32_t size, std::uint32_t piece) {
    {
      std::lock_guard<std::mutex> lock(mutex);
      request = {&read, file, buffer, already, size, piece};
      delivered_bytes = already;
      abandoned = false;
      state = State::Asked;
    }
    changed.notify_all();
  }

  struct Landed {
    std::uint32_t bytes;  // buffer[0, bytes) holds the chunk's bytes so far
    bool finished;        // the read is over; the reader is free again
    bool ok;              // when finished: as os::ReadChunk gives it
  };

  // Ends the outstanding read after the piece being read; Progress still
  // tells when it is over.
  void Abandon() {
    std::lock_guard<std::mutex> lock(mutex);
    abandoned = true;
  }

  std::uint32_t Taken() {
    std::lock_guard<std::mutex> lock(mutex);
    return taken;
  }

  // Waits until more than `have` bytes have landed or the read is over.
  Landed Progress(std::uint32_t have) {
    std::unique_lock<std::mutex> lock(mutex);
    taken = have;
    changed.wait(lock, [&] { return state == State::Done || delivered_bytes > have; });
    const bool finished = state == State::Done;
    if (finished) state = State::Idle;
    return {delivered_bytes, finished, read_ok};
  }

 private:
  void Run() {
    // It works for the user's run or check, out of sight or not.
    os::RunThreadAtFullSpeed();
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
      changed.wait(lock, [this] { return quit || state == State::Asked; });
      if (state != State::Asked) return;
      const Request asked = request;
      lock.unlock();
      bool ok = true;
      for (std::uint32_t at = asked.already; at < asked.size;) {
        const std::uint32_t want = std::min(asked.piece, asked.size - at);
        std::uint32_t n = 0;
        ok = (*asked.read)(asked.file, asked.buffer + at, want, &n);
        if (!ok) break;
        at += n;
        bool go_on;
        {
          std::lock_guard<std::mutex> landed(mutex);
          delivered_bytes = at;
          go_on = !abandoned;
        }
        changed.notify_all();
        if (n < want || !go_on) break;
      }
      lock.lock();
      read_ok = ok;
      state = State::Done;
      changed.notify_all();
    }
  }

  struct Request {
    const ChunkReader* read;
    os::FileHandle file;
    std::uint8_t* buffer;
    std::uint32_t already;
    std::uint32_t size;
    std::uint32_t piece;
  };
  enum class State { Idle, Asked, Done };

  std::mutex mutex;
  std::condition_variable changed;
  State state = State::Idle;
  bool quit = false;
  bool abandoned = false;
  Request request{};
  std::uint32_t delivered_bytes = 0;
  std::uint32_t taken = 0;  // bytes of the read the hashing thread had when it last asked
  bool read_ok = false;
  std::thread thread;  // last: it starts running once the rest is built
};

namespace {

std::unique_ptr<std::uint8_t[]> Allocate(std::uint32_t size) {
  return std::unique_ptr<std::uint8_t[]>(new (std::nothrow) std::uint8_t[size]);
}

}  // namespace

ChunkSource::ChunkSource() : ChunkSource(Allocate) {}

ChunkSource::ChunkSource(const ChunkAllocator& allocate) : allocate_(allocate) {
  for (std::uint32_t size = kChunkSize; size >= kSmallestChunkSize; size /= 2) {
    buffer_ = allocate(size);
    if (buffer_) {
      chunk_size_ = size;
      // Zero-filled, so its pages are in place before the first read, which
      // the worker would otherwise wait on fault by fault.
      std::memset(buffer_.get(), 0, size);
      return;
    }
  }
}

ChunkSource::~ChunkSource() = default;

bool ChunkSource::ReaderReady() {
  if (read_ahead_) return true;
  if (reader_unavailable_) return false;
  try {
    read_ahead_ = std::make_unique<ReadAhead>();
  } catch (const std::exception&) {
    reader_unavailable_ = true;
  }
  return read_ahead_ != nullptr;
}

bool ChunkSource::SecondBufferReady() {
  if (second_buffer_) return true;
  if (second_buffer_unavailable_ || !ReaderReady()) return false;
  second_buffer_ = allocate_ ? allocate_(chunk_size_) : nullptr;
  second_buffer_unavailable_ = second_buffer_ == nullptr;
  return second_buffer_ != nullptr;
}

ChunkSource::File::File(ChunkSource& source, const std::wstring& path)
    : source_(source),
      file_(source.HasBuffer() ? os::OpenForReading(path) : os::kNoFile),
      piece_(source.chunk_size_ / kPiecesPerChunk),
      chunk_(source.buffer_.get()) {}

ChunkSource::File::~File() {
  if (reading_) {
    reading_->Abandon();
    reading_->Progress(0xffffffffu);  // no chunk holds this many: waits for the end
  }
  os::CloseFile(file_);
}

std::uint32_t ChunkSource::BytesTakenFromReader() {
  return read_ahead_ ? read_ahead_->Taken() : 0;
}

// The first piece is read here, so that a small file never waits on the
// reader thread; a file that fills it likely goes on, and the reader reads the
// rest of the chunk while this piece is hashed (or, without a reader, the rest
// is read here: the chunk is the same either way).
void ChunkSource::File::ReadFirst() {
  const std::uint32_t chunk_size = source_.chunk_size_;
  read_ok_ = source_.read_(file_, chunk_, piece_, &size_);
  if (!read_ok_ || size_ != piece_ || piece_ >= chunk_size) return;
  if (source_.ReaderReady()) {
    ReadOnReader(chunk_, size_);
    return;
  }
  std::uint32_t rest = 0;
  read_ok_ = source_.read_(file_, chunk_ + size_, chunk_size - size_, &rest);
  size_ += rest;
}

bool ChunkSource::File::HashChunk(Md5Digest& digest, std::uint32_t* size) {
  // Bytes hashed before a failure is seen are thrown away with the digest.
  const std::uint32_t hashed = reading_ ? HashWhileReading(digest) : 0;
  if (!read_ok_) return false;
  // A full chunk: the file likely goes on, so its next read starts now and
  // runs beside the rest of this chunk's hashing, its report and the pause.
  const std::uint8_t* const chunk = chunk_;
  if (size_ == source_.chunk_size_ && source_.SecondBufferReady()) {
    chunk_ = chunk_ == source_.buffer_.get() ? source_.second_buffer_.get() : source_.buffer_.get();
    ReadOnReader(chunk_, 0);
  }
  if (size_ > hashed) digest.Add(chunk + hashed, size_ - hashed);
  *size = size_;
  return true;
}

void ChunkSource::File::ReadNext() {
  if (reading_) return;
  // With one buffer the next read must wait for the pause; after a full
  // chunk the reader still lets its first pieces be hashed while it reads.
  if (size_ == source_.chunk_size_ && source_.ReaderReady()) {
    ReadOnReader(chunk_, 0);
  } else {
    read_ok_ = source_.read_(file_, chunk_, source_.chunk_size_, &size_);
  }
}

// Hands the reader thread the read of `into` from byte `already` on.
void ChunkSource::File::ReadOnReader(std::uint8_t* into, std::uint32_t already) {
  source_.read_ahead_->Begin(source_.read_, file_, into, already, source_.chunk_size_, piece_);
  reading_ = source_.read_ahead_.get();
}

// Hashes the landed bytes a piece at a time until the read is over; returns
// how many were hashed.
std::uint32_t ChunkSource::File::HashWhileReading(Md5Digest& digest) {
  std::uint32_t hashed = 0;
  for (;;) {
    const ReadAhead::Landed landed = reading_->Progress(hashed);
    if (landed.finished) {
      size_ = landed.bytes;
      read_ok_ = landed.ok;
      reading_ = nullptr;
      return hashed;
    }
    const std::uint32_t span = std::min(piece_, landed.bytes - hashed);
    digest.Add(chunk_ + hashed, span);
    hashed += span;
  }
}
