#include "windows/list_check.h"

#include "engine/file_digest_job.h"

void RunListCheck(const std::vector<ChecksumEntry>& entries, const ListCheckView& view) {
  FileDigestJob job;
  for (std::size_t row = 0; row < entries.size(); ++row) {
    const ChecksumEntry& entry = entries[row];
    if (view.hashing) view.hashing(row, entries.size());
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
