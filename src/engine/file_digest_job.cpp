#include "engine/file_digest_job.h"

#include "os/keep_awake.h"

namespace {

// Reports the whole percent of the bytes hashed so far each time it changes.
class PercentSteps {
 public:
  PercentSteps(std::int64_t expected, const ProgressReport& report, HashedBytes* meter)
      : expected_(expected), report_(report), meter_(meter) {
    if (!meter_) return;
    meter_->file_done.store(0, std::memory_order_relaxed);
    meter_->file_size.store(expected, std::memory_order_relaxed);
  }

  void Add(std::uint32_t bytes) {
    done_ += bytes;
    if (meter_) {
      meter_->file_done.store(done_, std::memory_order_relaxed);
      meter_->done.fetch_add(bytes, std::memory_order_relaxed);
    }
    const std::int32_t percent = WholePercent(done_, expected_);
    if (percent == last_) return;
    last_ = percent;
    if (report_) report_(percent);
  }

 private:
  const std::int64_t expected_;
  const ProgressReport& report_;
  HashedBytes* const meter_;
  std::int64_t done_ = 0;
  std::int32_t last_ = 0;
};

}  // namespace

FileDigestJob::FileDigestJob() { os::RunThreadAtFullSpeed(); }

FileDigestJob::FileDigestJob(const ChunkAllocator& allocate) : chunks_(allocate) { os::RunThreadAtFullSpeed(); }

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
  ChunkSource::File file(chunks_, path);
  if (!file.Opened()) return DigestOutcome::NotOpened;

  digest_.Start();
  PercentSteps progress(expected_size, report, meter_);
  for (file.ReadFirst();; file.ReadNext()) {
    if (stop && stop->requested.load() == 1) return Discard(DigestOutcome::Stopped);
    std::uint32_t size = 0;
    // A digest of the bytes before a failed read would pass for the file's.
    if (!file.HashChunk(digest_, &size)) return Discard(DigestOutcome::ReadFailed);
    progress.Add(size);
    pause_.OneMillisecond();
    if (size == 0) break;
  }
  *digest_text = digest_.Finish();
  return DigestOutcome::Digested;
}

// Ends the digest without a result; Finish wipes what was added.
DigestOutcome FileDigestJob::Discard(DigestOutcome outcome) {
  digest_.Finish();
  return outcome;
}
