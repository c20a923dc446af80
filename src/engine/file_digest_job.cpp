#include "engine/file_digest_job.h"

#include <condition_variable>
#include <exception>
#include <mutex>
#include <new>
#include <thread>

#include "os/file.h"
#include "os/pause.h"

// Reads one chunk at a time on its own thread: Begin hands it a read, Wait
// takes the result. At most one read is outstanding.
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

  void Begin(os::FileHandle file, std::uint8_t* buffer, std::uint32_t size) {
    {
      std::lock_guard<std::mutex> lock(mutex);
      request = {file, buffer, size};
      state = State::Asked;
    }
    changed.notify_all();
  }

  // The outstanding read's result, as os::ReadChunk gives it.
  bool Wait(std::uint32_t* delivered) {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [this] { return state == State::Done; });
    state = State::Idle;
    *delivered = delivered_bytes;
    return read_ok;
  }

 private:
  void Run() {
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
      changed.wait(lock, [this] { return quit || state == State::Asked; });
      if (state != State::Asked) return;
      const Request asked = request;
      lock.unlock();
      std::uint32_t n = 0;
      const bool ok = os::ReadChunk(asked.file, asked.buffer, asked.size, &n);
      lock.lock();
      delivered_bytes = n;
      read_ok = ok;
      state = State::Done;
      changed.notify_all();
    }
  }

  struct Request {
    os::FileHandle file;
    std::uint8_t* buffer;
    std::uint32_t size;
  };
  enum class State { Idle, Asked, Done };

  std::mutex mutex;
  std::condition_variable changed;
  State state = State::Idle;
  bool quit = false;
  Request request{};
  std::uint32_t delivered_bytes = 0;
  bool read_ok = false;
  std::thread thread;  // last: it starts running once the rest is built
};

namespace {

std::unique_ptr<std::uint8_t[]> AllocateZeroed(std::uint32_t size) {
  return std::unique_ptr<std::uint8_t[]>(new (std::nothrow) std::uint8_t[size]());
}

// Closes the file on every way out of DigestFile.
struct OpenFile {
  explicit OpenFile(os::FileHandle h) : handle(h) {}
  ~OpenFile() { os::CloseFile(handle); }
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;
  os::FileHandle handle;
};

// The read on the reader thread, if one is outstanding; it is waited for on
// every way out of DigestFile, before the file closes.
struct OutstandingRead {
  OutstandingRead() = default;
  ~OutstandingRead() {
    std::uint32_t ignored;
    if (reader) reader->Wait(&ignored);
  }
  OutstandingRead(const OutstandingRead&) = delete;
  OutstandingRead& operator=(const OutstandingRead&) = delete;
  ReadAhead* reader = nullptr;
};

}  // namespace

FileDigestJob::FileDigestJob() : FileDigestJob(AllocateZeroed) {}

FileDigestJob::FileDigestJob(const ChunkAllocator& allocate) : allocate_chunk(allocate) {
  for (std::uint32_t size = kChunkSize; size >= kSmallestChunkSize; size /= 2) {
    buffer = allocate(size);
    if (buffer) {
      chunk_size = size;
      return;
    }
  }
}

FileDigestJob::~FileDigestJob() = default;

bool FileDigestJob::ReadAheadReady() {
  if (read_ahead) return true;
  if (read_ahead_unavailable) return false;
  read_ahead_unavailable = true;  // unless both are had now
  second_buffer = allocate_chunk ? allocate_chunk(chunk_size) : nullptr;
  if (!second_buffer) return false;
  try {
    read_ahead = std::make_unique<ReadAhead>();
  } catch (const std::exception&) {
    second_buffer.reset();
    return false;
  }
  read_ahead_unavailable = false;
  return true;
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
  std::uint8_t* chunk = buffer.get();
  std::uint32_t n = 0;
  bool read_ok = os::ReadChunk(file.handle, chunk, chunk_size, &n);
  OutstandingRead ahead;  // declared after `file`, so it ends first
  for (;;) {
    if (stop && stop->requested.load() == 1) {
      digest.Finish();
      return DigestOutcome::Stopped;
    }
    // A digest of the bytes before a failed read would pass for the file's.
    if (!read_ok) {
      digest.Finish();
      return DigestOutcome::ReadFailed;
    }
    // A full chunk: the file likely goes on, so its next read starts now and
    // runs beside this chunk's hashing, report and pause.
    std::uint8_t* next = chunk;
    if (n == chunk_size && ReadAheadReady()) {
      next = chunk == buffer.get() ? second_buffer.get() : buffer.get();
      read_ahead->Begin(file.handle, next, chunk_size);
      ahead.reader = read_ahead.get();
    }
    if (n > 0) digest.Add(chunk, n);
    done += n;
    const std::int32_t percent = WholePercent(done, expected_size);
    if (percent != last_percent) {
      last_percent = percent;
      if (report) report(percent);
    }
    os::PauseOneMillisecond();
    if (n == 0) break;
    chunk = next;
    if (ahead.reader) {
      read_ok = ahead.reader->Wait(&n);
      ahead.reader = nullptr;
    } else {
      read_ok = os::ReadChunk(file.handle, chunk, chunk_size, &n);
    }
  }

  *digest_text = digest.Finish();
  return DigestOutcome::Digested;
}
