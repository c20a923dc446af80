// The carrying of workers' writes to the window thread.
//
// Writes wait in a queue of our own; the window thread is woken by at most one
// posted message at a time and by an event the loop waits on. Windows caps a
// thread's posted messages (10,000 by default) and a failed post loses what it
// carried: here a failed post carries nothing, and the event still wakes the
// loop, so no write is ever lost.
#include <memory>
#include <mutex>
#include <vector>

#include "ui/messages.h"
#include "ui/window.h"
#include "ui/write.h"

namespace ui {

namespace {

const wchar_t kPostOfficeClass[] = L"SumwickPostOffice";

struct WriteQueue {
  std::mutex lock;
  std::vector<Write> waiting;
  bool wake_posted = false;  // a wake-up is on its way; no other is needed
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

void Enqueue(Write write) {
  WriteQueue& queue = Queue();
  bool wake = false;
  WakePost post = nullptr;
  {
    std::lock_guard<std::mutex> hold(queue.lock);
    queue.waiting.push_back(std::move(write));
    wake = !queue.wake_posted;
    queue.wake_posted = true;
    post = queue.post;
  }
  if (!wake) return;
  SetEvent(queue.event);
  // Refused (a full queue): the event has woken the loop all the same, and
  // the next write tries to post again for the requesters' own loops.
  if (!post(queue.post_office, kMessageWritesWaiting, 0, 0)) {
    std::lock_guard<std::mutex> hold(queue.lock);
    queue.wake_posted = false;
  }
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
  std::vector<Write> writes;
  {
    std::lock_guard<std::mutex> hold(queue.lock);
    writes.swap(queue.waiting);
    queue.wake_posted = false;
  }
  for (const Write& write : writes) ApplyWrite(write, true);
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
    EnableWindow(window->handle, write.enable);
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
      if (write.row >= 0) {
        // Pin the row the caller meant now: by the time the write lands,
        // rows above it may be gone.
        if (write.row >= static_cast<std::int32_t>(gadget->rows.size())) return;
        write.row_id = gadget->rows[static_cast<std::size_t>(write.row)].id;
      }
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
  Write write;
  write.kind = WriteKind::WindowCall;
  write.window = number;
  write.call = std::move(call);
  Carry(std::move(write));
}
