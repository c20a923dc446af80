#include "app/calculation_run.h"

#include <memory>

#include "app/calculation_worker.h"
#include "app/file_list.h"
#include "app/main_window.h"
#include "ui/bars.h"
#include "ui/window.h"
#include "windows/long_work.h"
#include "windows/window_worker.h"

namespace {

// Window thread only.
struct CalculationRun {
  std::uint64_t generation = 0;
  bool running = false;
  std::shared_ptr<StopToken> stop;  // the current run's; its worker holds it too
  LongWorkId work = 0;              // the current run on the taskbar
};

CalculationRun& TheRun() {
  static CalculationRun run;
  return run;
}

bool IsCurrentRun(std::uint64_t generation) { return TheRun().running && TheRun().generation == generation; }

void ShowRunning() {
  // Stop first: a keyboard on Start moves on to it.
  EnableToolbarButton(kMainWindow, kMenuStop, true);
  EnableToolbarButton(kMainWindow, kMenuStart, false);
  SetStatusText(kMainWindow, kStateField, L"Calculating");
}

void ShowIdle() {
  EnableToolbarButton(kMainWindow, kMenuStart, true);
  EnableToolbarButton(kMainWindow, kMenuStop, false);
  SetStatusText(kMainWindow, kStateField, L"Idle");
  SetStatusProgress(kMainWindow, 0);
}

// What the worker shows, each step decided on the window thread.
CalculationView ViewOfRun(std::uint64_t generation) {
  CalculationView view;
  view.progress = [generation](std::int32_t percent) {
    CallOnWindowThread(kMainWindow, [generation, percent] {
      if (IsCurrentRun(generation)) SetStatusProgress(kMainWindow, percent);
    });
  };
  // The digest is in its row already, whichever run produced it; the row
  // only needs drawing again.
  view.digested = [](RowId row, const std::wstring&) {
    CallOnWindowThread(kMainWindow, [row] { RedrawFileRow(row); });
  };
  view.finished = [generation] {
    CallOnWindowThread(kMainWindow, [generation] {
      if (!IsCurrentRun(generation)) return;
      TheRun().running = false;
      ShowIdle();
    });
  };
  return view;
}

}  // namespace

void StartCalculation(bool higher_priority) {
  CalculationRun& run = TheRun();
  ++run.generation;
  run.running = true;
  run.stop = std::make_shared<StopToken>();
  // Running first, so that a run that ends at once leaves the window idle.
  ShowRunning();
  std::shared_ptr<StopToken> stop = run.stop;
  CalculationView view = ViewOfRun(run.generation);
  // What is left is the ticked rows below the one being hashed, as they
  // stand at each update.
  auto meter = std::make_shared<HashedBytes>();
  run.work = BeginLongWork(kMainWindow, meter, [meter] {
    return TickedBytesAfter(TheFileRows(), meter->position.load(std::memory_order_relaxed));
  });
  view.meter = meter.get();
  // The worker's end, however it comes, ends the run on the taskbar. When no
  // thread can be started the window stays running until Stop, but the
  // taskbar and the power request let go at once.
  StartWindowWorker([stop, view, meter, hold = HoldLongWork(run.work)] { RunCalculation(TheFileRows(), *stop, view); },
                    higher_priority);
}

void StopCalculation() {
  CalculationRun& run = TheRun();
  if (run.stop) run.stop->requested.store(1);
  EndLongWork(run.work, LongWorkEnd::Stopped);
  run.running = false;
  ShowIdle();
}
