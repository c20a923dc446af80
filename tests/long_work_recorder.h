// Long work's signals recorded, as the taskbar, the power request and the
// flash would have received them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "windows/long_work.h"

struct LongWorkRecord {
  struct Shown {
    std::uint64_t done;
    std::uint64_t total;
  };
  std::vector<Shown> shown;      // every progress shown, in order
  std::vector<std::string> calls;  // "show", "clear", "awake", "sleep", "flash", in order
  int awake = 0;                 // keep_awake calls less let_sleep calls
  bool in_front = true;          // what program_in_front answers
  std::uint64_t now = 0;         // the clock, in ms
  bool updating = false;         // the periodic updates are on
};

// The record the signals below write into: one at a time.
inline LongWorkRecord* g_long_work_record = nullptr;

// Records into `record`, which must outlive the signals' use. The carry is
// `carry`, or none: the call made at once where it is let go.
inline LongWorkSignals RecordingSignals(LongWorkRecord* record,
                                        void (*carry)(std::int32_t, std::function<void()>) = nullptr) {
  g_long_work_record = record;
  LongWorkSignals signals;
  signals.show_progress = [](std::int32_t, std::uint64_t done, std::uint64_t total) {
    g_long_work_record->shown.push_back({done, total});
    g_long_work_record->calls.push_back("show");
  };
  signals.clear_progress = [](std::int32_t) { g_long_work_record->calls.push_back("clear"); };
  signals.keep_awake = [] {
    ++g_long_work_record->awake;
    g_long_work_record->calls.push_back("awake");
  };
  signals.let_sleep = [] {
    --g_long_work_record->awake;
    g_long_work_record->calls.push_back("sleep");
  };
  signals.program_in_front = [] { return g_long_work_record->in_front; };
  signals.flash = [](std::int32_t) { g_long_work_record->calls.push_back("flash"); };
  signals.milliseconds = [] { return g_long_work_record->now; };
  signals.repeat_updates = [](std::int32_t, bool on) { g_long_work_record->updating = on; };
  signals.carry = carry;
  return signals;
}

// Records the long work for as long as it lives, then ends whatever is left
// and puts the signals back.
struct RecordedLongWork {
  explicit RecordedLongWork(void (*carry)(std::int32_t, std::function<void()>) = nullptr)
      : saved(ReplaceLongWorkSignals(RecordingSignals(&record, carry))) {}
  ~RecordedLongWork() {
    EndEveryLongWork();
    ReplaceLongWorkSignals(saved);
    g_long_work_record = nullptr;
  }
  RecordedLongWork(const RecordedLongWork&) = delete;
  RecordedLongWork& operator=(const RecordedLongWork&) = delete;

  // Every progress shown so far kept within its total.
  bool ShownWithinTotals() const {
    for (const LongWorkRecord::Shown& shown : record.shown)
      if (shown.done > shown.total) return false;
    return true;
  }

  LongWorkRecord record;
  LongWorkSignals saved;
};
