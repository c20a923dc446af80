#include "windows/window_worker.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "os/thread.h"
#include "ui/window.h"

namespace {

// A few hand-overs keep the window busy between two turns of the worker; more
// would only hold rows the window cannot show yet.
constexpr std::size_t kMostOnTheirWay = 4;
// How often a waiting worker looks at its stop flag: nobody wakes it for one.
constexpr auto kStopLookedAtEvery = std::chrono::milliseconds(10);

}  // namespace

struct WindowStream::Slots {
  std::mutex lock;
  std::condition_variable freed;
  std::size_t on_their_way = 0;  // under lock
};

bool StartWindowWorker(std::function<void()> entry, bool higher_priority) {
  return os::StartThread(BindToOpenWindows(std::move(entry)), higher_priority) != 0;
}

namespace {

// The worker: every job waiting, then it ends.
void ServeJobs(const std::shared_ptr<JobQueue>& queue) {
  while (true) {
    std::function<void()> job;
    {
      std::lock_guard<std::mutex> hold(queue->lock);
      if (queue->jobs.empty()) {
        queue->worker_running = false;
        queue->emptied.notify_all();
        return;
      }
      job = std::move(queue->jobs.front());
      queue->jobs.pop_front();
    }
    job();
  }
}

}  // namespace

void QueueJob(const std::shared_ptr<JobQueue>& queue, std::function<void()> job) {
  std::function<void()> bound = BindToOpenWindows(std::move(job));
  bool start = false;
  {
    std::lock_guard<std::mutex> hold(queue->lock);
    queue->jobs.push_back(std::move(bound));
    start = !queue->worker_running;
    queue->worker_running = true;
  }
  if (start && os::StartThread([queue] { ServeJobs(queue); }, false) == 0) ServeJobs(queue);
}

void WaitForJobs(JobQueue& queue) {
  std::unique_lock<std::mutex> hold(queue.lock);
  queue.emptied.wait(hold, [&queue] { return !queue.worker_running; });
}

bool WaitForJobsFor(JobQueue& queue, std::uint32_t milliseconds) {
  std::unique_lock<std::mutex> hold(queue.lock);
  return queue.emptied.wait_for(hold, std::chrono::milliseconds(milliseconds),
                                [&queue] { return !queue.worker_running; });
}

bool JobsUnderWay(JobQueue& queue) {
  std::lock_guard<std::mutex> hold(queue.lock);
  return queue.worker_running;
}

WindowStream OpenWindowStream(std::int32_t window) {
  WindowStream stream;
  stream.window = window;
  stream.slots = std::make_shared<WindowStream::Slots>();
  return stream;
}

bool CarryInStream(const WindowStream& stream, std::function<void()> call, const std::atomic<bool>& stop) {
  WindowStream::Slots& slots = *stream.slots;
  {
    std::unique_lock<std::mutex> hold(slots.lock);
    while (slots.on_their_way >= kMostOnTheirWay && !stop.load()) slots.freed.wait_for(hold, kStopLookedAtEvery);
    if (stop.load()) return false;
    ++slots.on_their_way;
  }
  // The slot goes back when the call is destroyed: after it ran, or when the
  // write queue dropped it for a closed window, or here on a failure.
  std::shared_ptr<void> slot(nullptr, [kept = stream.slots](void*) {
    std::lock_guard<std::mutex> hold(kept->lock);
    --kept->on_their_way;
    kept->freed.notify_all();
  });
  CallOnWindowThread(stream.window, [slot = std::move(slot), call = std::move(call)] { call(); });
  return true;
}
