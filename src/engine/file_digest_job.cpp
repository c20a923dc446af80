#include "engine/file_digest_job.h"

#include <new>

#include "os/file.h"
#include "os/pause.h"

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

}  // namespace

FileDigestJob::FileDigestJob() : FileDigestJob(AllocateZeroed) {}

FileDigestJob::FileDigestJob(const ChunkAllocator& allocate) {
  for (std::uint32_t size = kChunkSize; size >= kSmallestChunkSize; size /= 2) {
    buffer = allocate(size);
    if (buffer) {
      chunk_size = size;
      return;
    }
  }
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
  std::uint32_t n;
  do {
    const bool read_ok = os::ReadChunk(file.handle, buffer.get(), chunk_size, &n);
    if (stop && stop->requested.load() == 1) {
      digest.Finish();
      return DigestOutcome::Stopped;
    }
    // A digest of the bytes before a failed read would pass for the file's.
    if (!read_ok) {
      digest.Finish();
      return DigestOutcome::ReadFailed;
    }
    if (n > 0) digest.Add(buffer.get(), n);
    done += n;
    const std::int32_t percent = WholePercent(done, expected_size);
    if (percent != last_percent) {
      last_percent = percent;
      if (report) report(percent);
    }
    os::PauseOneMillisecond();
  } while (n != 0);

  *digest_text = digest.Finish();
  return DigestOutcome::Digested;
}
