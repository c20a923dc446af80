#include "windows/list_check.h"

#include "engine/file_digest_job.h"

namespace {

std::int64_t Positive(std::int64_t size) { return size > 0 ? size : 0; }

}  // namespace

void RunListCheck(const VerifierRows& rows, const ListCheckView& view) {
  FileDigestJob job;
  job.CountInto(view.meter);
  const std::size_t count = VerifierRowCount(rows);
  std::int64_t bytes = VerifierBytes(rows);
  ChecksumEntry entry;
  for (std::size_t row = 0; row < count; ++row) {
    if (!VerifierEntry(rows, row, &entry)) break;
    bytes -= Positive(entry.size);
    if (view.meter) {
      view.meter->after.store(bytes, std::memory_order_relaxed);
      view.meter->position.store(row + 1, std::memory_order_relaxed);
    }
    if (view.hashing) view.hashing(row, count);
    std::wstring digest;
    const auto report = [&](std::int32_t percent) {
      if (view.progress) view.progress(row, percent);
    };
    const DigestOutcome outcome = job.DigestFile(entry.path, entry.size, report, nullptr, &digest);
    if (outcome != DigestOutcome::Digested) {
      if (view.unread) view.unread(row);
    } else if (view.verdict) {
      view.verdict(row, SameDigestText(entry.digest, digest));
    }
  }
  if (view.done) view.done();
}
