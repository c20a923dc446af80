// The file verifier's check, apart from its window.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "engine/file_digest_job.h"

enum class SingleCheckResult {
  NoResult,  // the file is missing, empty or unreadable now
  Valid,
  Invalid,
};

// Hashes the file at `path`, measured now, and compares it with `expected` in
// either letter case. `progress` gets whole percents from the worker thread;
// `meter`, when given, the bytes.
SingleCheckResult CheckOneFile(const std::wstring& path, const std::wstring& expected,
                               const std::function<void(std::int32_t percent)>& progress,
                               HashedBytes* meter = nullptr);
