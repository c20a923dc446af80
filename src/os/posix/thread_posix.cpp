#include "os/thread.h"

#include <atomic>
#include <memory>
#include <new>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace os {
namespace {

std::atomic<std::uint32_t> g_next_thread_number{1};

struct ThreadStart {
  std::function<void()> entry;
  bool raise_priority;
};

void* RunThread(void* argument) {
  std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(argument));
  if (start->raise_priority) {
    // Best effort: lowering the nice value needs privileges on Linux.
    const auto tid = static_cast<id_t>(::syscall(SYS_gettid));
    const int now = ::getpriority(PRIO_PROCESS, tid);
    (void)::setpriority(PRIO_PROCESS, tid, now - 1);
  }
  start->entry();
  return nullptr;
}

}  // namespace

std::uint32_t StartThread(std::function<void()> entry, bool raise_priority) {
  auto* start = new (std::nothrow) ThreadStart{std::move(entry), raise_priority};
  if (!start) return 0;
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
  pthread_t thread;
  const int failed = pthread_create(&thread, &attributes, RunThread, start);
  pthread_attr_destroy(&attributes);
  if (failed) {
    delete start;
    return 0;
  }
  std::uint32_t number = g_next_thread_number.fetch_add(1);
  if (number == 0) number = g_next_thread_number.fetch_add(1);
  return number;
}

}  // namespace os
