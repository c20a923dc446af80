#include "app/calculation_worker.h"

void RunCalculation(FileRows& rows, StopToken& stop, const CalculationView& view) {
  FileDigestJob job;
  FileRow row;
  RowId after = kNoRow;
  while (NextRow(rows, after, &row)) {
    after = row.id;
    if (stop.requested.load() == 1) {
      stop.requested.store(0);
      return;
    }
    if (!row.ticked) continue;
    std::wstring digest;
    const DigestOutcome outcome = job.DigestFile(row.entry.path, row.entry.size, view.progress, &stop, &digest);
    if (outcome == DigestOutcome::Stopped) {
      stop.requested.store(0);
      return;
    }
    // Into the rows first: whatever becomes of the message that follows, the
    // digest is kept.
    if (outcome == DigestOutcome::Digested && SetRowHash(rows, row.id, digest) && view.digested)
      view.digested(row.id, digest);
  }
  // A stop that came after the last row still ends the run quietly: Stop has
  // already shown the idle state, and a new run may own the window by now.
  if (stop.requested.load() == 1) {
    stop.requested.store(0);
    return;
  }
  if (view.finished) view.finished();
}
