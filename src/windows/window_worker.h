// The one way a window starts a worker that writes to it, and the stream in
// which a worker hands a window its rows.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

// Starts `entry` on a thread of its own, at above-normal priority when asked,
// bound to the windows open now: its writes to a window that is closed later
// are dropped, even when the same window has been opened again meanwhile.
// False when no thread could be started; the caller then gives back whatever
// it held for the worker, so the window never waits for one that never came.
bool StartWindowWorker(std::function<void()> entry, bool higher_priority);

// Jobs done one after another by one worker, in the order they were queued:
// a later job never overtakes an earlier one (of two saves to one file, the
// later's stays). The worker ends when none is left; the next job starts
// another.
struct JobQueue {
  std::mutex lock;
  std::condition_variable emptied;
  std::deque<std::function<void()>> jobs;  // under lock
  bool worker_running = false;             // under lock
};
// Window thread: queues `job`, bound to the windows open now (see
// StartWindowWorker). Without a thread the jobs are done here and now.
void QueueJob(const std::shared_ptr<JobQueue>& queue, std::function<void()> job);
// Until every job queued so far is done.
void WaitForJobs(JobQueue& queue);
// The same for at most `milliseconds`; false when jobs are left.
bool WaitForJobsFor(JobQueue& queue, std::uint32_t milliseconds);
bool JobsUnderWay(JobQueue& queue);

// Calls a worker carries to one window, a few at most on their way at once: a
// worker that gets ahead of the window (a large tree, a window thread busy
// for a while) waits for it, never the window for the worker, and what waits
// for the window never grows with the tree.
struct WindowStream {
  struct Slots;
  std::int32_t window = -1;
  std::shared_ptr<Slots> slots;
};
WindowStream OpenWindowStream(std::int32_t window);
// Carries `call` to the window thread once the stream has room; a call is
// done with when it has run, or was dropped with its window. Returns false,
// carrying nothing, once `stop` is set.
bool CarryInStream(const WindowStream& stream, std::function<void()> call, const std::atomic<bool>& stop);
