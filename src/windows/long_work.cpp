#include "windows/long_work.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {

struct Work {
  LongWorkId id = 0;
  std::shared_ptr<const HashedBytes> meter;
  BytesAfter after;
  std::uint64_t began = 0;  // LongWorkSignals::milliseconds
};

// Window thread only.
struct LongWorks {
  LongWorkSignals signals;
  std::vector<Work> running;
  LongWorkId last_id = 0;
  std::int32_t window = -1;  // whose button shows them
};

LongWorks& Works() {
  static LongWorks works;
  return works;
}

std::uint64_t Now(const LongWorkSignals& signals) { return signals.milliseconds ? signals.milliseconds() : 0; }

void SetAwake(const LongWorkSignals& signals, bool awake) {
  if (awake && signals.keep_awake) signals.keep_awake();
  if (!awake && signals.let_sleep) signals.let_sleep();
}

void Repeat(const LongWorks& works, bool on) {
  if (works.signals.repeat_updates) works.signals.repeat_updates(works.window, on);
}

std::uint64_t Positive(std::int64_t bytes) { return bytes > 0 ? static_cast<std::uint64_t>(bytes) : 0; }

// Done and total of one work as its worker has it now.
void Measure(const Work& work, std::uint64_t* done, std::uint64_t* total) {
  const HashedBytes& meter = *work.meter;
  const std::uint64_t hashed = Positive(meter.done.load(std::memory_order_relaxed));
  const std::int64_t file_left =
      meter.file_size.load(std::memory_order_relaxed) - meter.file_done.load(std::memory_order_relaxed);
  *done += hashed;
  *total += hashed + Positive(file_left) + Positive(work.after ? work.after() : 0);
}

// Shows every running work, and `ended_done` more bytes, done and total alike.
void Show(LongWorks& works, std::uint64_t ended_done) {
  std::uint64_t done = ended_done;
  std::uint64_t total = ended_done;
  for (const Work& work : works.running) Measure(work, &done, &total);
  if (works.signals.show_progress) works.signals.show_progress(works.window, done, total);
}

// The last work has ended.
void EndShowing(LongWorks& works) {
  Repeat(works, false);
  if (works.signals.clear_progress) works.signals.clear_progress(works.window);
  SetAwake(works.signals, false);
}

}  // namespace

LongWorkId BeginLongWork(std::int32_t window, std::shared_ptr<const HashedBytes> meter, BytesAfter after) {
  LongWorks& works = Works();
  const bool first = works.running.empty();
  works.window = window;
  works.running.push_back(Work{++works.last_id, std::move(meter), std::move(after),
                               Now(works.signals)});
  if (first) {
    SetAwake(works.signals, true);
    Repeat(works, true);
  }
  Show(works, 0);
  return works.last_id;
}

void EndLongWork(LongWorkId id, LongWorkEnd how) {
  LongWorks& works = Works();
  const auto at = std::find_if(works.running.begin(), works.running.end(), [id](const Work& work) { return work.id == id; });
  if (at == works.running.end()) return;
  const Work ended = std::move(*at);
  works.running.erase(at);
  // Work that came to its end shows it whole: what it hashed is its total.
  if (how == LongWorkEnd::Whole) Show(works, Positive(ended.meter->done.load(std::memory_order_relaxed)));
  if (works.running.empty())
    EndShowing(works);
  else if (how == LongWorkEnd::Stopped)
    Show(works, 0);
  const bool in_front = !works.signals.program_in_front || works.signals.program_in_front();
  if (Now(works.signals) - ended.began > kLongWorkMilliseconds && !in_front && works.signals.flash)
    works.signals.flash(works.window);
}

std::shared_ptr<void> HoldLongWork(LongWorkId id) {
  const std::int32_t window = Works().window;
  // The signals are read where the hold is made, on the window thread; the
  // carry it keeps is safe from any thread.
  const auto carry = Works().signals.carry;
  return std::shared_ptr<void>(nullptr, [id, window, carry](void*) {
    const auto end = [id] { EndLongWork(id, LongWorkEnd::Whole); };
    if (carry)
      carry(window, end);
    else
      end();
  });
}

void EndEveryLongWork() {
  LongWorks& works = Works();
  if (works.running.empty()) return;
  works.running.clear();
  EndShowing(works);
}

bool LongWorkRunning() { return !Works().running.empty(); }

void UpdateLongWork() {
  LongWorks& works = Works();
  if (!works.running.empty()) Show(works, 0);
}

LongWorkSignals ReplaceLongWorkSignals(const LongWorkSignals& signals) { return std::exchange(Works().signals, signals); }
