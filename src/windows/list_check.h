// The MD5 file verifier's check, apart from its window: hashes every listed
// file in turn and says whether it still matches its recorded digest.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "engine/file_digest_job.h"
#include "windows/verifier_rows.h"

// Every call comes from the worker thread and must not wait on the window thread.
struct ListCheckView {
  std::function<void(std::size_t row, std::size_t rows)> hashing;  // row `row` (from 0) of `rows` starts
  std::function<void(std::size_t row, std::int32_t percent)> progress;
  std::function<void(std::size_t row, bool intact)> verdict;
  // No verdict this time: the file could not be opened, or a read failed
  // part-way. Whatever the row showed (an earlier verdict, a percent) says
  // nothing true about the file any more.
  std::function<void(std::size_t row)> unread;
  std::function<void()> done;
  // How far the check is, in bytes, for the taskbar; may be null. Its
  // position is the row being hashed, from 1; its `after` the recorded sizes
  // of the rows below.
  HashedBytes* meter = nullptr;
};

// Checks every row, in order, each read as the check comes to it: each gets
// either a verdict or `unread`. Recorded digests match in either letter case.
void RunListCheck(const VerifierRows& rows, const ListCheckView& view);
