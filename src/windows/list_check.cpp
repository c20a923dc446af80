#include "windows/list_check.h"

#include "engine/file_digest_job.h"

namespace {

// `item` gives row `row`'s path, size and recorded digest.
template <typename Item>
void CheckEach(std::size_t count, Item item, const ListCheckView& view) {
  FileDigestJob job;
  std::wstring path;
  std::wstring recorded;
  std::int64_t size = 0;
  for (std::size_t row = 0; row < count; ++row) {
    if (!item(row, &path, &size, &recorded)) break;
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
  CheckEach(entries.size(), [&entries](std::size_t row, std::wstring* path, std::int64_t* size, std::wstring* digest) {
    *path = entries[row].path;
    *size = entries[row].size;
    *digest = entries[row].digest;
    return true;
  }, view);
}

void RunListCheckOverRows(const VerifierRows& rows, const ListCheckView& view) {
  CheckEach(VerifierRowCount(rows), [&rows](std::size_t row, std::wstring* path, std::int64_t* size, std::wstring* digest) {
    return VerifierCheckItem(rows, row, path, size, digest);
  }, view);
}
