#include "os/slow_access.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace os {
namespace {

std::atomic<std::uint32_t> g_access_delay_ms{0};
std::atomic<std::uint32_t> g_delayed_now{0};
std::atomic<std::uint32_t> g_most_delayed{0};

}  // namespace

void SetAccessDelay(std::uint32_t milliseconds) {
  g_most_delayed.store(0);
  g_access_delay_ms.store(milliseconds);
}

void WaitAccessDelay() {
  const std::uint32_t delay = g_access_delay_ms.load(std::memory_order_relaxed);
  if (delay == 0) return;
  const std::uint32_t now = g_delayed_now.fetch_add(1) + 1;
  std::uint32_t most = g_most_delayed.load();
  while (now > most && !g_most_delayed.compare_exchange_weak(most, now)) {
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(delay));
  g_delayed_now.fetch_sub(1);
}

std::uint32_t MostDelayedAtOnce() { return g_most_delayed.load(); }

}  // namespace os
