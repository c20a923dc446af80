// The calculation run's worker, apart from any window: it walks the rows from
// the top, hashes every ticked row's file and reports through `view`.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/file_rows.h"
#include "engine/file_digest_job.h"

// How the run shows itself. Every call comes from the worker thread and must
// not wait on the window thread.
struct CalculationView {
  std::function<void(std::int32_t percent)> progress;
  std::function<void(RowId row, const std::wstring& digest)> digested;
  // Reached the end of the list; never called after a stop. The window side
  // must still ignore it when another run has started since.
  std::function<void()> finished;
  // Whether the row is ticked at the moment the run reaches it; false for a
  // row that is gone by then. Without it the row's own flag counts.
  std::function<bool(RowId row)> ticked;
};

// Runs to the end of the list or until `stop` is requested. Files that cannot
// be opened or read leave their rows as they were.
void RunCalculation(const FileRows& rows, StopToken& stop, const CalculationView& view);
