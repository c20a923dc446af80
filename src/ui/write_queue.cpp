// The carrying of workers' writes to the window thread.
//
// Writes wait in a queue of our own; the window thread is woken by at most one
// posted message at a time and by an event the loop waits on. Windows caps a
// thread's posted messages (10,000 by default) and a failed post loses what it
// carried: here a failed post carries nothing, and the event still wakes the
// loop, so no write is ever lost.
//
// The window thread applies writes a turn at a time and serves its messages
// in between, so however fast workers write, a close box or a key is never
// stuck behind them. A turn that leaves writes waiting asks for the next by a
// timer, not a post: posted messages come before input and painting, so a
// post after every turn would keep the windows from being drawn, and from
// keys and clicks, for as long as the writes kept coming.
#include <algorithm>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "ui/messages.h"
#include "ui/window.h"
#include "ui/write.h"

namespace ui {

namespace {

const wchar_t kPostOfficeClass[] = L"SumwickPostOffice";

// How many writes one turn applies at most before the window thread serves
// its messages again, and for how long: a worker's write may carry thousands
// of rows, and a window that fell behind must not catch up in one go.
constexpr std::size_t kWritesPerTurn = 64;
constexpr ULONGLONG kTurnMilliseconds = 16;
constexpr UINT_PTR kNextTurnTimer = 1;

struct WriteQueue {
  std::mutex lock;
  std::deque<Write> waiting;
  bool wake_posted = false;  // a wake-up message is in the window thread's queue
  HWND post_office = nullptr;
  HANDLE event = nullptr;
  WakePost post = PostMessageW;
};

WriteQueue& Queue() {
  static WriteQueue queue;
  return queue;
}

// Generations of the windows a worker was bound to; null for unbound threads.
thread_local const std::map<std::int32_t, std::uint32_t>* t_bound_generations = nullptr;

LRESULT CALLBACK PostOfficeProcedure(HWND handle, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kMessageWritesWaiting) {
    {
      std::lock_guard<std::mutex> hold(Queue().lock);
      Queue().wake_posted = false;
    }
    DeliverWrites();
    return 0;
  }
  if (message == WM_TIMER && wparam == kNextTurnTimer) {
    KillTimer(handle, kNextTurnTimer);
    DeliverWrites();
    return 0;
  }
  return DefWindowProcW(handle, message, wparam, lparam);
}

// The generation a write made now on this thread is meant for; 0 drops it.
std::uint32_t GenerationForWrite(std::int32_t window) {
  WindowRecord* record = FindWindowRecord(window);
  if (!t_bound_generations) return record ? record->generation : 0;
  auto bound = t_bound_generations->find(window);
  return bound == t_bound_generations->end() ? 0 : bound->second;
}

// Posts a wake-up unless one is in the queue already. A refused post (a full
// queue) is no loss: the event wakes the loop all the same, and the next
// write or turn tries again for the requesters' own loops.
void PostWakeUp() {
  WriteQueue& queue = Queue();
  WakePost post = nullptr;
  {
    std::lock_guard<std::mutex> hold(queue.lock);
    if (queue.wake_posted) return;
    queue.wake_posted = true;
    post = queue.post;
  }
  if (!post(queue.post_office, kMessageWritesWaiting, 0, 0)) {
    std::lock_guard<std::mutex> hold(queue.lock);
    queue.wake_posted = false;
  }
}

void Enqueue(Write write) {
  WriteQueue& queue = Queue();
  bool was_empty = false;
  {
    std::lock_guard<std::mutex> hold(queue.lock);
    was_empty = queue.waiting.empty();
    queue.waiting.push_back(std::move(write));
  }
  if (!was_empty) return;  // already woken
  SetEvent(queue.event);
  PostWakeUp();
}

}  // namespace

bool StartWriteQueue(HINSTANCE instance) {
  WriteQueue& queue = Queue();
  if (queue.post_office) return true;
  WNDCLASSW post_class{};
  post_class.lpfnWndProc = PostOfficeProcedure;
  post_class.hInstance = instance;
  post_class.lpszClassName = kPostOfficeClass;
  RegisterClassW(&post_class);
  if (!queue.event) queue.event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  queue.post_office =
      CreateWindowExW(0, kPostOfficeClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
  return queue.post_office != nullptr && queue.event != nullptr;
}

HANDLE WritesWaiting() { return Queue().event; }

HWND PostOffice() { return Queue().post_office; }

void DeliverWrites() {
  WriteQueue& queue = Queue();
  const ULONGLONG turn_ends = GetTickCount64() + kTurnMilliseconds;
  bool more = false;
  for (std::size_t applied = 0; applied < kWritesPerTurn; ++applied) {
    Write write;
    {
      std::lock_guard<std::mutex> hold(queue.lock);
      if (queue.waiting.empty()) break;
      write = std::move(queue.waiting.front());
      queue.waiting.pop_front();
      more = !queue.waiting.empty();
    }
    ApplyWrite(write, true);
    if (!more || GetTickCount64() >= turn_ends) break;
  }
  if (!more) return;
  // The rest after the messages waiting now, painting included: the event
  // serves the event loop, the timer any other loop (a requester's, a menu's).
  SetEvent(queue.event);
  SetTimer(queue.post_office, kNextTurnTimer, USER_TIMER_MINIMUM, nullptr);
}

void ApplyWrite(const Write& write, bool carried) {
  WindowRecord* window = nullptr;
  GadgetRecord* gadget = nullptr;
  if (write.gadget >= 0) {
    gadget = FindGadget(write.gadget);
    if (!gadget) return;
    window = FindWindowRecord(gadget->window);
  } else {
    window = FindWindowRecord(write.window);
  }
  if (!window) return;
  if (carried && (window->generation != write.generation || (gadget && gadget->window != write.window))) return;
  if (gadget) {
    ApplyGadgetWrite(write, *gadget);
  } else if (write.kind == WriteKind::WindowEnable) {
    ApplyWindowEnable(*window, write.enable);
  } else if (write.kind == WriteKind::WindowCall) {
    if (write.call) write.call();
  } else {
    ApplyBarWrite(write, *window);
  }
}

void Carry(Write write) {
  if (OnWindowThread()) {
    ApplyWrite(write, false);
    return;
  }
  {
    std::lock_guard<std::recursive_mutex> hold(State().lock);
    if (write.gadget >= 0) {
      GadgetRecord* gadget = FindGadget(write.gadget);
      if (!gadget) return;
      write.window = gadget->window;
    }
    write.generation = GenerationForWrite(write.window);
    if (write.generation == 0 || !Queue().post_office) return;
  }
  Enqueue(std::move(write));
}

}  // namespace ui

using namespace ui;

WakePost ReplaceWakePost(WakePost post) {
  WriteQueue& queue = Queue();
  std::lock_guard<std::mutex> hold(queue.lock);
  WakePost before = queue.post;
  queue.post = post ? post : PostMessageW;
  return before;
}

std::function<void()> BindToOpenWindows(std::function<void()> entry) {
  auto generations = std::make_shared<std::map<std::int32_t, std::uint32_t>>();
  {
    std::lock_guard<std::recursive_mutex> hold(State().lock);
    for (auto& [number, record] : State().windows) (*generations)[number] = record.generation;
  }
  return [generations, entry = std::move(entry)]() {
    t_bound_generations = generations.get();
    entry();
    t_bound_generations = nullptr;
  };
}

void CallOnWindowThread(std::int32_t number, std::function<void()> call) {
  Write write = WindowWrite(WriteKind::WindowCall, number);
  write.call = std::move(call);
  Carry(std::move(write));
}
