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
  // The digest is in the row already; this only tells that it came.
  std::function<void(RowId row, const std::wstring& digest)> digested;
  // Reached the end of the list; never called after a stop. The window side
  // must still ignore it when another run has started since.
  std::function<void()> finished;
  // Where the run is and how many bytes it hashed, for the taskbar; may be null.
  // Its position is the id of the row being hashed.
  HashedBytes* meter = nullptr;
};

// Runs to the end of the list or until `stop` is requested, hashing each row
// that is ticked when the run reaches it and writing its digest into the row.
// Files that cannot be opened or read leave their rows as they were.
void RunCalculation(FileRows& rows, StopToken& stop, const CalculationView& view);
