#include "windows/single_file_check.h"

#include "engine/file_digest_job.h"
#include "os/path_size.h"

SingleCheckResult CheckOneFile(const std::wstring& path, const std::wstring& expected,
                               const std::function<void(std::int32_t percent)>& progress, HashedBytes* meter) {
  const std::int64_t size = os::PathSize(path);
  if (size <= 0) return SingleCheckResult::NoResult;
  FileDigestJob job;
  job.CountInto(meter);
  std::wstring digest;
  if (job.DigestFile(path, size, progress, nullptr, &digest) != DigestOutcome::Digested)
    return SingleCheckResult::NoResult;
  return SameDigestText(digest, expected) ? SingleCheckResult::Valid : SingleCheckResult::Invalid;
}
