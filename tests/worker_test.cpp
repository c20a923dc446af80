#include "engine/worker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

TEST(StartWorker, RunsEntryOnItsOwnThreadAndRemembersIt) {
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
  for (std::int32_t raise : {0, 1}) {
    ASSERT_NE(StartWorker(entry, raise), 0u);
  }
  std::unique_lock<std::mutex> lock(mutex);
  ASSERT_TRUE(done.wait_for(lock, std::chrono::seconds(30), [&] { return runs == 2; }));
  EXPECT_NE(ran_on, std::this_thread::get_id());
}

TEST(StartWorker, EachStartGetsANewNumber) {
  // The first worker lives until the second has started, so the system
  // cannot hand the same number to both.
  std::atomic<int> finished{0};
  std::atomic<bool> release{false};
  const std::uint32_t a = StartWorker(
      [&] {
        while (!release.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ++finished;
      },
      0);
  const std::uint32_t b = StartWorker([&] { ++finished; }, 0);
  release.store(true);
  EXPECT_NE(a, b);
  for (int k = 0; k < 3000 && finished.load() < 2; ++k) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(finished.load(), 2);
}

}  // namespace
