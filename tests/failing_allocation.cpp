#include "failing_allocation.h"

#include <atomic>
#include <thread>

namespace {

std::atomic<bool> g_armed{false};
std::atomic<bool> g_failed{false};
std::atomic<std::uint64_t> g_left{0};
std::atomic<AllocatingThreads> g_threads{AllocatingThreads::kAny};
std::atomic<std::thread::id> g_arming{};

}  // namespace

FailingAllocation::FailingAllocation(std::uint64_t nth, AllocatingThreads threads) {
  g_armed = false;
  g_failed = false;
  g_left = nth;
  g_threads = threads;
  g_arming = std::this_thread::get_id();
  g_armed = true;
}

FailingAllocation::~FailingAllocation() { g_armed = false; }

bool FailingAllocation::Failed() const { return g_failed.load(); }

bool ThisAllocationFails() {
  if (!g_armed.load(std::memory_order_relaxed)) return false;
  const AllocatingThreads threads = g_threads.load();
  if (threads != AllocatingThreads::kAny && (std::this_thread::get_id() == g_arming.load()) != (threads == AllocatingThreads::kThisOne))
    return false;
  if (g_left.fetch_sub(1) != 1) return false;
  g_armed = false;
  g_failed = true;
  return true;
}
