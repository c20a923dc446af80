#include "windows/list_check.h"

#include "engine/file_digest_job.h"

namespace {

std::int64_t Positive(std::int64_t size) { return size > 0 ? size : 0; }

// `item` gives row `row`'s path, size and recorded digest; `bytes` is every
// row's positive size added up.
template <typename Item>
void CheckEach(std::size_t count, std::int64_t bytes, Item item, const ListCheckView& view) {
  FileDigestJob job;
  job.CountInto(view.meter);
  std::wstring path;
  std::wstring recorded;
  std::int64_t size = 0;
  for (std::size_t row = 0; row < count; ++row) {
    if (!item(row, &path, &size, &recorded)) break;
    bytes -= Positive(size);
    if (view.meter) {
      view.meter->after.store(bytes, std::memory_order_relaxed);
      view.meter->position.store(row + 1, std::memory_order_relaxed);
    }
    if (view.hashing) view.hashing(row, count);
    std::wstring digest;
    const auto report = [&](std::int32_t percent) {
      if (view.progress) view.progress(row, percent);
    };
    const DigestOutcome outcome = job.DigestFile(path, size, report, nullptr, &digest);
    if (outcome != DigestOutcome::Digested) {
      if (view.unread) view.unread(row);
    } else if (view.verdict) {
      view.verdict(row, SameDigestText(recorded, digest));
    }
  }
  if (view.done) view.done();
}

}  // namespace

void RunListCheck(const std::vector<ChecksumEntry>& entries, const ListCheckView& view) {
  std::int64_t bytes = 0;
  for (const ChecksumEntry& entry : entries) bytes += Positive(entry.size);
  CheckEach(entries.size(), bytes, [&entries](std::size_t row, std::wstring* path, std::int64_t* size, std::wstring* digest) {
    *path = entries[row].path;
    *size = entries[row].size;
    *digest = entries[row].digest;
    return true;
  }, view);
}

void RunListCheckOverRows(const VerifierRows& rows, const ListCheckView& view) {
  CheckEach(VerifierRowCount(rows), VerifierBytes(rows), [&rows](std::size_t row, std::wstring* path, std::int64_t* size, std::wstring* digest) {
    return VerifierCheckItem(rows, row, path, size, digest);
  }, view);
}
