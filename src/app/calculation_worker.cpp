#include "app/calculation_worker.h"

void RunCalculation(FileRows& rows, StopToken& stop, const CalculationView& view) {
  FileDigestJob job;
  job.CountInto(view.meter);
  FileRowCopy row;
  RowId after = kNoRow;
  for (;;) {
    const bool more = NextRow(rows, after, &row);
    // Checked after the last row too: a stop that came then still ends the
    // run quietly, since Stop has already shown the idle state and a new run
    // may own the window by now.
    if (stop.requested.load() == 1) break;
    if (!more) {
      if (view.finished) view.finished();
      return;
    }
    after = row.id;
    if (!row.ticked) continue;
    if (view.meter) view.meter->position.store(row.id, std::memory_order_relaxed);
    std::wstring digest;
    const DigestOutcome outcome = job.DigestFile(row.entry.path, row.entry.size, view.progress, &stop, &digest);
    if (outcome == DigestOutcome::Stopped) break;
    // Into the rows first: whatever becomes of the message that follows, the
    // digest is kept.
    if (outcome == DigestOutcome::Digested && SetRowHash(rows, row.id, digest) && view.digested)
      view.digested(row.id, digest);
  }
  // Stopped: the request was this run's, and is cleared.
  stop.requested.store(0);
}
