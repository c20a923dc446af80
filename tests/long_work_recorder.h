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

// Records into `record`, which must outlive the signals' use. The carry is
// `carry`, or a call made at once where it is let go.
inline LongWorkSignals RecordingSignals(LongWorkRecord* record,
                                        std::function<void(std::int32_t, std::function<void()>)> carry = nullptr) {
  LongWorkSignals signals;
  signals.show_progress = [record](std::int32_t, std::uint64_t done, std::uint64_t total) {
    record->shown.push_back({done, total});
    record->calls.push_back("show");
  };
  signals.clear_progress = [record](std::int32_t) { record->calls.push_back("clear"); };
  signals.keep_awake = [record] {
    ++record->awake;
    record->calls.push_back("awake");
  };
  signals.let_sleep = [record] {
    --record->awake;
    record->calls.push_back("sleep");
  };
  signals.program_in_front = [record] { return record->in_front; };
  signals.flash = [record](std::int32_t) { record->calls.push_back("flash"); };
  signals.milliseconds = [record] { return record->now; };
  signals.repeat_updates = [record](std::int32_t, bool on) { record->updating = on; };
  signals.carry = carry ? carry : [](std::int32_t, std::function<void()> call) { call(); };
  return signals;
}

// Records the long work for as long as it lives, then ends whatever is left
// and puts the signals back.
struct RecordedLongWork {
  explicit RecordedLongWork(std::function<void(std::int32_t, std::function<void()>)> carry = nullptr)
      : saved(ReplaceLongWorkSignals(RecordingSignals(&record, std::move(carry)))) {}
  ~RecordedLongWork() {
    EndEveryLongWork();
    ReplaceLongWorkSignals(saved);
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
