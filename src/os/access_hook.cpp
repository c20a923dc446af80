#include "os/access_hook.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>

namespace os {
namespace {

std::mutex g_hook_lock;
std::shared_ptr<const AccessHook> g_hook;  // under g_hook_lock
// Whether g_hook is set, stored after it under the lock: a request with no
// hook costs a load, not a lock that every thread of a walk contends for (the
// benchmark's program is a test build).
std::atomic<bool> g_hook_set{false};

// The held clock: its time since it started, in microseconds, and whether it
// stands in for the steady clock.
std::atomic<bool> g_clock_held{false};
std::atomic<std::int64_t> g_clock_micros{0};
const std::chrono::steady_clock::time_point g_clock_origin = std::chrono::steady_clock::now();

std::atomic<std::uint32_t> g_delayed_now{0};
std::atomic<std::uint32_t> g_most_delayed{0};

}  // namespace

void SetAccessHook(AccessHook hook) {
  auto kept = hook ? std::make_shared<const AccessHook>(std::move(hook)) : nullptr;
  std::lock_guard<std::mutex> hold(g_hook_lock);
  g_hook.swap(kept);
  g_hook_set.store(g_hook != nullptr, std::memory_order_release);
}

void RunAccessHook(const std::wstring& path) {
  if (!g_hook_set.load(std::memory_order_acquire)) return;
  std::shared_ptr<const AccessHook> hook;
  {
    std::lock_guard<std::mutex> hold(g_hook_lock);
    hook = g_hook;
  }
  if (hook) (*hook)(path);
}

void SetAccessDelay(std::uint32_t milliseconds) {
  g_most_delayed.store(0);
  if (milliseconds == 0) {
    SetAccessHook(nullptr);
    return;
  }
  SetAccessHook([milliseconds](const std::wstring&) {
    const std::uint32_t now = g_delayed_now.fetch_add(1) + 1;
    std::uint32_t most = g_most_delayed.load();
    while (now > most && !g_most_delayed.compare_exchange_weak(most, now)) {
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    g_delayed_now.fetch_sub(1);
  });
}

std::uint32_t MostDelayedAtOnce() { return g_most_delayed.load(); }

void StartAccessHookClock() {
  g_clock_micros.store(0);
  g_clock_held.store(true);
}

void StopAccessHookClock() { g_clock_held.store(false); }

void AdvanceAccessHookClock(std::chrono::microseconds by) { g_clock_micros.fetch_add(by.count()); }

bool AccessHookClockNow(std::chrono::steady_clock::time_point* now) {
  if (!g_clock_held.load()) return false;
  *now = g_clock_origin + std::chrono::microseconds(g_clock_micros.load());
  return true;
}

}  // namespace os
