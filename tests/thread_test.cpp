#include "os/thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

#include "os/pause.h"

namespace {

// The running thread's scheduling priority, larger when it runs first.
int PriorityHere() {
#ifdef _WIN32
  return GetThreadPriority(GetCurrentThread());
#else
  return -::getpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid)));
#endif
}

// Whether this process may raise a thread's priority (Linux lets only a
// privileged one lower a nice value).
bool MayRaisePriority() {
#ifdef _WIN32
  return true;
#else
  return ::geteuid() == 0;
#endif
}

TEST(StartThread, RunsEntryOnItsOwnThreadAndRemembersIt) {
  std::mutex mutex;
  std::condition_variable done;
  int runs = 0;
  std::thread::id ran_on;
  int priority[2] = {0, 0};
  for (const bool raise : {false, true}) {
    auto entry = [&, raise] {
      std::lock_guard<std::mutex> lock(mutex);
      ++runs;
      ran_on = std::this_thread::get_id();
      priority[raise] = PriorityHere();
      done.notify_all();
    };
    ASSERT_NE(os::StartThread(entry, raise), 0u);
  }
  std::unique_lock<std::mutex> lock(mutex);
  ASSERT_TRUE(done.wait_for(lock, std::chrono::seconds(30), [&] { return runs == 2; }));
  EXPECT_NE(ran_on, std::this_thread::get_id());
  EXPECT_EQ(priority[false], PriorityHere()) << "a plain thread runs as its starter does";
  if (MayRaisePriority()) {
    EXPECT_GT(priority[true], priority[false]) << "a raised one runs first";
  }
}

// A pause ends after its millisecond, whatever errno held before it.
TEST(Pause, EndsWhateverErrnoHeldBefore) {
  errno = EINTR;
  const auto start = std::chrono::steady_clock::now();
  os::Pause().OneMillisecond();
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1));
}

TEST(StartThread, EachStartGetsANewNumber) {
  // The first worker lives until the second has started, so the system
  // cannot hand the same number to both.
  std::atomic<int> finished{0};
  std::atomic<bool> release{false};
  const std::uint32_t a = os::StartThread(
      [&] {
        while (!release.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ++finished;
      },
      false);
  const std::uint32_t b = os::StartThread([&] { ++finished; }, false);
  release.store(true);
  EXPECT_NE(a, b);
  for (int k = 0; k < 3000 && finished.load() < 2; ++k) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(finished.load(), 2);
}

}  // namespace
