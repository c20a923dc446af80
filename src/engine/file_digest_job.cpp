#include "engine/file_digest_job.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <mutex>
#include <new>
#include <thread>

#include "os/file.h"
#include "os/pause.h"

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

  // Waits until more than `have` bytes have landed or the read is over.
  Landed Progress(std::uint32_t have) {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [&] { return state == State::Done || delivered_bytes > have; });
    const bool finished = state == State::Done;
    if (finished) state = State::Idle;
    return {delivered_bytes, finished, read_ok};
  }

 private:
  void Run() {
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
  bool read_ok = false;
  std::thread thread;  // last: it starts running once the rest is built
};

namespace {

std::unique_ptr<std::uint8_t[]> Allocate(std::uint32_t size) {
  return std::unique_ptr<std::uint8_t[]>(new (std::nothrow) std::uint8_t[size]);
}

// Closes the file on every way out of DigestFile.
struct OpenFile {
  explicit OpenFile(os::FileHandle h) : handle(h) {}
  ~OpenFile() { os::CloseFile(handle); }
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;
  os::FileHandle handle;
};

// The read on the reader thread, if one is outstanding. On every way out of
// DigestFile it is cut short and waited for, before the file closes.
struct OutstandingRead {
  OutstandingRead() = default;
  ~OutstandingRead() {
    if (!reader) return;
    reader->Abandon();
    reader->Progress(0xffffffffu);  // no chunk holds this many: waits for the end
  }
  OutstandingRead(const OutstandingRead&) = delete;
  OutstandingRead& operator=(const OutstandingRead&) = delete;
  ReadAhead* reader = nullptr;
};

}  // namespace

FileDigestJob::FileDigestJob() : FileDigestJob(Allocate) {}

FileDigestJob::FileDigestJob(const ChunkAllocator& allocate) : allocate_chunk(allocate) {
  for (std::uint32_t size = kChunkSize; size >= kSmallestChunkSize; size /= 2) {
    buffer = allocate(size);
    if (buffer) {
      chunk_size = size;
      // Zero-filled, so its pages are in place before the first read, which
      // the worker would otherwise wait on fault by fault.
      std::memset(buffer.get(), 0, size);
      return;
    }
  }
}

FileDigestJob::~FileDigestJob() = default;

bool FileDigestJob::ReaderReady() {
  if (read_ahead) return true;
  if (reader_unavailable) return false;
  try {
    read_ahead = std::make_unique<ReadAhead>();
  } catch (const std::exception&) {
    reader_unavailable = true;
  }
  return read_ahead != nullptr;
}

bool FileDigestJob::SecondBufferReady() {
  if (second_buffer) return true;
  if (second_buffer_unavailable || !ReaderReady()) return false;
  second_buffer = allocate_chunk ? allocate_chunk(chunk_size) : nullptr;
  second_buffer_unavailable = second_buffer == nullptr;
  return second_buffer != nullptr;
}

std::int32_t WholePercent(std::int64_t done, std::int64_t expected) {
  if (expected == 0) return 0;
  const double percent = static_cast<double>(done) / static_cast<double>(expected) * 100.0;
  // Out-of-range conversions are undefined; no real file comes near them.
  if (percent >= 2147483647.0) return 2147483647;
  if (percent <= -2147483648.0) return -2147483647 - 1;
  return static_cast<std::int32_t>(percent);
}

DigestOutcome FileDigestJob::DigestFile(const std::wstring& path, std::int64_t expected_size,
                                        const ProgressReport& report, StopToken* stop,
                                        std::wstring* digest_text) {
  digest_text->clear();
  if (!HasBuffer()) return DigestOutcome::NotOpened;
  OpenFile file(os::OpenForReading(path));
  if (file.handle == os::kNoFile) return DigestOutcome::NotOpened;

  digest.Start();
  std::int64_t done = 0;
  std::int32_t last_percent = 0;
  const std::uint32_t piece = chunk_size / kPiecesPerChunk;
  std::uint8_t* chunk = buffer.get();
  OutstandingRead reading;  // declared after `file`, so it ends first
  // Hands the reader thread the read of `into` from byte `already` on.
  const auto read_on_reader = [&](std::uint8_t* into, std::uint32_t already) {
    read_ahead->Begin(read_chunk, file.handle, into, already, chunk_size, piece);
    reading.reader = read_ahead.get();
  };
  // The first piece is read here, so that a small file never waits on the
  // reader thread; a file that fills it likely goes on, and the reader reads
  // the rest of the chunk while this piece is hashed (or, without a reader,
  // the rest is read here: the chunk is the same either way).
  std::uint32_t n = 0;
  bool read_ok = read_chunk(file.handle, chunk, piece, &n);
  if (read_ok && n == piece && piece < chunk_size) {
    if (ReaderReady()) {
      read_on_reader(chunk, n);
    } else {
      std::uint32_t rest = 0;
      read_ok = read_chunk(file.handle, chunk + n, chunk_size - n, &rest);
      n += rest;
    }
  }
  for (;;) {
    if (stop && stop->requested.load() == 1) {
      digest.Finish();
      return DigestOutcome::Stopped;
    }
    // The chunk's landed bytes are hashed a piece at a time until its read is
    // over. Bytes hashed before a stop or a failure is seen are thrown away
    // with the digest.
    std::uint32_t hashed = 0;
    if (reading.reader) {
      for (;;) {
        const ReadAhead::Landed landed = reading.reader->Progress(hashed);
        if (landed.finished) {
          n = landed.bytes;
          read_ok = landed.ok;
          reading.reader = nullptr;
          break;
        }
        const std::uint32_t span = std::min(piece, landed.bytes - hashed);
        digest.Add(chunk + hashed, span);
        hashed += span;
      }
    }
    // A digest of the bytes before a failed read would pass for the file's.
    if (!read_ok) {
      digest.Finish();
      return DigestOutcome::ReadFailed;
    }
    // A full chunk: the file likely goes on, so its next read starts now and
    // runs beside the rest of this chunk's hashing, its report and the pause.
    std::uint8_t* next = chunk;
    if (n == chunk_size && SecondBufferReady()) {
      next = chunk == buffer.get() ? second_buffer.get() : buffer.get();
      read_on_reader(next, 0);
    }
    if (n > hashed) digest.Add(chunk + hashed, n - hashed);
    done += n;
    const std::int32_t percent = WholePercent(done, expected_size);
    if (percent != last_percent) {
      last_percent = percent;
      if (report) report(percent);
    }
    os::PauseOneMillisecond();
    if (n == 0) break;
    chunk = next;
    if (reading.reader) continue;
    // With one buffer the next read must wait for the pause; after a full
    // chunk the reader still lets its first pieces be hashed while it reads.
    if (n == chunk_size && ReaderReady()) {
      read_on_reader(chunk, 0);
    } else {
      read_ok = read_chunk(file.handle, chunk, chunk_size, &n);
    }
  }

  *digest_text = digest.Finish();
  return DigestOutcome::Digested;
}
