#include "os/thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

TEST(StartThread, RunsEntryOnItsOwnThreadAndRemembersIt) {
  std::mutex mutex;
  std::condition_variable done;
  int runs = 0;
  std::thread::id ran_on;
  auto entry = [&] {
    std::lock_guard<std::mutex> lock(mutex);
    ++runs;
    ran_on = std::this_thread::get_id();
    done.notify_all();
  };
  for (const bool raise : {false, true}) {
    ASSERT_NE(os::StartThread(entry, raise), 0u);
  }
  std::unique_lock<std::mutex> lock(mutex);
  ASSERT_TRUE(done.wait_for(lock, std::chrono::seconds(30), [&] { return runs == 2; }));
  EXPECT_NE(ran_on, std::this_thread::get_id());
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
