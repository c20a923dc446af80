// One thread, the caller's, hands the results over in walk order; helper
// threads take the earliest work in that order that nobody has started, so
// the caller rarely waits. When the caller needs something nobody has
// started, it does that itself: a walk never waits for a helper that never
// came, and with no helper at all it is the plain serial walk.
//
// Every piece of work has a key, the indices of the entries leading to it
// from the given paths, so that walk order is the keys' lexicographic order.
//
// A walk owns its helpers: whatever way it ends (done, stopped, a failure to
// allocate in any of its threads), it returns only once every helper has
// left, and a stop ends a listing or a run of lookups between two entries.
#include "os/ordered_walk.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <new>
#include <set>
#include <thread>

#include "os/folder.h"
#include "os/path_text.h"
#include "os/steady_now.h"
#include "os/thread.h"

namespace os {
namespace {

// How often results are handed over while they keep coming, and how many at
// most at a time: the receiver's work per hand-over stays short. While the
// caller looks ahead it looks up only until its rows are due.
constexpr auto kHandOverEvery = std::chrono::milliseconds(25);
constexpr std::size_t kMostPerHandOver = 16384;
// Given paths a thread takes at a time while the store answers at once: each
// take and each wake-up costs a system call where a contended lock or a
// condition is slow (under Wine, a round trip to its server), and a lookup
// alone costs far less. The first takes are short, growing to this, so that a
// slow store is found out before one thread holds many of its paths; on a
// slow store one at a time, so that all run at once.
constexpr std::size_t kPathsPerTake = 256;
// A request slower than this waits on the store (a share), not on the
// processor: only then do more helpers than processors make the walk faster.
// A thread that lost its processor for a while makes one request slow too,
// so the store counts as slow only after several slow runs in a row (a run
// of lookups is timed as a whole: one lost processor makes it slow once).
constexpr auto kSlowRequest = std::chrono::microseconds(500);
constexpr std::uint32_t kSlowInARow = 4;

// Compared as a string compares: keys of up to three indices (every given
// path's among them) are kept without an allocation of their own.
using Key = std::u32string;

struct Node;

// An entry of a listed folder that the walk yields or enters.
struct Child {
  std::wstring name;
  std::int64_t size = 0;
  std::shared_ptr<Node> folder;  // a subfolder: its own listing
};

// Who may touch what: `key`, `path` and `given` are set before the node is
// shared and only read after (the caller moves `path` out once the node is
// done). `state` changes under the walk's lock. The results, `size`, `listed`
// and `children`, are written by the one thread that took the node, before it
// stores kDone; kDone is stored last, after the subfolders are queued, so a
// thread that reads kDone, with the lock or without, may then read and move
// the results: nobody touches them again.
struct Node {
  enum class State { kWaiting, kBusy, kDone };
  Key key;
  std::wstring path;
  bool given = false;  // looked up first; listed only when a folder and walks go into folders
  std::atomic<State> state{State::kWaiting};
  std::int64_t size = kPathNotFound;  // given paths: their PathSize
  bool listed = false;                // its children are the folder's entries
  std::vector<Child> children;
};

struct EarlierInWalk {
  bool operator()(const std::shared_ptr<Node>& a, const std::shared_ptr<Node>& b) const { return a->key < b->key; }
};

// Shared by the caller and its helpers; everything but the nodes' results
// under `lock`. A node's results are written by whoever took it, before it is
// marked done, and read only after.
struct Walk {
  std::mutex lock;
  std::condition_variable work_came;   // helpers wait on it
  std::condition_variable node_done;   // the caller waits on it
  const Node* awaited = nullptr;       // what the caller waits for
  bool into_folders = false;
  std::size_t most_ahead = 0;         // as the settings say
  std::uint32_t most_helpers = 0;     // as many as the settings allow
  std::uint32_t helpers_allowed = 0;  // one a processor, until the store proves slow
  bool slow = false;                  // requests were seen to wait on the store
  std::atomic<std::uint32_t> slow_in_a_row{0};  // timed runs; no lock: a count that races only delays `slow`
  std::size_t paths_per_take = 1;
  std::vector<std::wstring> paths;  // the given paths
  std::size_t next_path = 0;        // the first given path not yet made a node
  // Given paths made nodes and not yet handed over, in order.
  std::deque<std::shared_ptr<Node>> path_nodes;
  std::set<std::shared_ptr<Node>, EarlierInWalk> waiting;   // subfolders to list
  // Entries known and not yet handed over: each given path once, and each
  // listed folder's entries.
  std::size_t ahead = 0;
  std::uint32_t helpers = 0;
  std::uint32_t idle_helpers = 0;
  bool ended = false;  // helpers leave
  // Set once, never cleared: the caller stopped, or a thread failed. Read
  // without the lock between entries, so that no listing runs to its end.
  std::atomic<bool> stopping{false};
  const std::atomic<bool>* cancel = nullptr;  // the caller's; read until the last helper has left

  bool Stopping() const {
    return stopping.load(std::memory_order_acquire) || (cancel && cancel->load(std::memory_order_acquire));
  }
};

// Under the lock: ends the walk for every thread, as when one cannot go on.
void StopAll(Walk& walk) {
  walk.stopping.store(true, std::memory_order_release);
  walk.ended = true;
  walk.work_came.notify_all();
  walk.node_done.notify_all();
}

// Lookup and listing of one node, without the lock; a stop ends the listing
// between two entries, its results then never handed over.
void Work(Node& node, const Walk& walk) {
  if (node.given) {
    node.size = PathSize(node.path);
    if (!walk.into_folders || node.size != kPathIsFolder || walk.Stopping()) return;
  }
  node.listed = true;
  ListFolder(node.path, [&node, &walk](const FolderItem& item) {
    if (walk.Stopping()) return false;
    if (item.is_folder_link) return true;
    Child child{item.name, item.size, nullptr};
    if (item.is_folder) {
      child.folder = std::make_shared<Node>();
      child.folder->key = node.key;
      child.folder->key.push_back(static_cast<char32_t>(node.children.size()));
      child.folder->path = JoinPath(node.path, item.name);
    }
    node.children.push_back(std::move(child));
    return true;
  });
}

void AddHelperIfUseful(const std::shared_ptr<Walk>& shared);

// Work on `nodes`, timed as a whole (a clock read per lookup would cost a
// tenth of the lookup): a slow store starts every helper allowed. With
// `until` (the caller looking ahead while rows wait for their hand-over) the
// clock is read after each node, and work ends there: the nodes from the one
// returned on were not started. Returns how many are to be marked done; on a
// stop all of them, the rest unlooked-up, and never handed over.
std::size_t WorkOn(const std::shared_ptr<Walk>& shared, const std::vector<std::shared_ptr<Node>>& nodes,
                   const SteadyTime* until = nullptr) {
  Walk& walk = *shared;
  const SteadyTime start = SteadyNow();
  std::size_t requests = 0;
  std::size_t worked = 0;
  while (worked < nodes.size()) {
    if (walk.Stopping()) return nodes.size();
    Node& node = *nodes[worked++];
    Work(node, walk);
    requests += 1 + node.children.size();
    if (until && worked < nodes.size() && SteadyNow() >= *until) break;
  }
  if (SteadyNow() - start < kSlowRequest * requests) {
    if (walk.slow_in_a_row.load(std::memory_order_relaxed) != 0) walk.slow_in_a_row = 0;
    return worked;
  }
  if (walk.slow_in_a_row.fetch_add(1) + 1 < kSlowInARow) return worked;
  std::lock_guard<std::mutex> hold(walk.lock);
  if (walk.slow) return worked;
  walk.slow = true;
  walk.helpers_allowed = walk.most_helpers;
  while (walk.helpers < walk.helpers_allowed && !walk.ended) {
    const std::uint32_t before = walk.helpers;
    AddHelperIfUseful(shared);
    if (walk.helpers == before) break;
  }
  return worked;
}

// Under the lock: the node is done; its subfolders wait for listing. Wakes
// only who waits for this. Marked done last: the caller may move the
// children's folders out as soon as it reads kDone, without the lock.
void Finish(Walk& walk, Node& node) {
  walk.ahead += (node.given ? 1 : 0) + (node.listed ? node.children.size() : 0);
  bool more_work = false;
  for (const Child& child : node.children) {
    if (!child.folder) continue;
    walk.waiting.insert(child.folder);
    more_work = true;
  }
  node.state.store(Node::State::kDone, std::memory_order_release);
  if (more_work && walk.idle_helpers > 0) walk.work_came.notify_all();
  if (walk.awaited == &node) walk.node_done.notify_one();
}

// Under the lock: the next run of given paths that nobody has started, made
// nodes and taken. The run's nodes share one allocation: a list's million
// lookups would otherwise spend much of their time on the heap.
std::vector<std::shared_ptr<Node>> TakePaths(Walk& walk) {
  std::vector<std::shared_ptr<Node>> taken;
  const std::size_t per_take = walk.slow ? 1 : walk.paths_per_take;
  if (!walk.slow && walk.paths_per_take < kPathsPerTake) walk.paths_per_take *= 2;
  const std::size_t count = std::min(per_take, walk.paths.size() - walk.next_path);
  if (count == 0) return taken;
  const auto run = std::make_shared<std::vector<Node>>(count);
  taken.reserve(count);
  for (Node& node : *run) {
    node.key = Key(1, static_cast<char32_t>(walk.next_path));
    node.given = true;
    node.state = Node::State::kBusy;
    taken.emplace_back(run, &node);
    walk.path_nodes.push_back(taken.back());
    // Moved only once the node is queued: a failure leaves the path in place.
    node.path = std::move(walk.paths[walk.next_path]);
    ++walk.next_path;
  }
  return taken;
}

// Under the lock: the earliest work in walk order that nobody has started,
// taken: a subfolder, or a run of given paths. Empty when there is none, or
// when helpers are too far ahead.
std::vector<std::shared_ptr<Node>> TakeEarliest(Walk& walk) {
  std::vector<std::shared_ptr<Node>> taken;
  if (walk.ahead >= walk.most_ahead) return taken;
  const bool subfolder_first =
      !walk.waiting.empty() && (walk.next_path == walk.paths.size() || (*walk.waiting.begin())->key[0] < walk.next_path);
  if (!subfolder_first) return TakePaths(walk);
  taken.push_back(*walk.waiting.begin());
  walk.waiting.erase(walk.waiting.begin());
  taken.back()->state = Node::State::kBusy;
  return taken;
}

// A helper that cannot go on (memory ran out) ends the whole walk, as the
// caller's own failure does: nothing may leave the thread. The stop is told
// before the lock is let go, and before it is taken again when the failure
// came without it: the caller hands nothing over after a helper failed,
// whatever the helper left half made.
void RunHelper(const std::shared_ptr<Walk>& shared) {
  Walk& walk = *shared;
  std::unique_lock<std::mutex> hold(walk.lock);
  try {
    while (!walk.ended) {
      std::vector<std::shared_ptr<Node>> taken = TakeEarliest(walk);
      if (taken.empty()) {
        ++walk.idle_helpers;
        walk.work_came.wait(hold);
        --walk.idle_helpers;
        continue;
      }
      hold.unlock();
      WorkOn(shared, taken);
      hold.lock();
      for (const auto& node : taken) Finish(walk, *node);
    }
  } catch (...) {
    walk.stopping.store(true, std::memory_order_release);
    if (!hold.owns_lock()) hold.lock();
    StopAll(walk);
  }
  --walk.helpers;
  if (walk.helpers == 0) walk.node_done.notify_all();
}

// Under the lock: starts a helper when work waits that no idle helper will take.
void AddHelperIfUseful(const std::shared_ptr<Walk>& shared) {
  Walk& walk = *shared;
  const std::size_t work = walk.waiting.size() + (walk.paths.size() - walk.next_path);
  if (walk.helpers >= walk.helpers_allowed || walk.idle_helpers >= work) return;
  ++walk.helpers;
  std::uint32_t started = 0;
  try {
    started = StartThread([shared] { RunHelper(shared); }, false);
  } catch (const std::bad_alloc&) {
  }
  if (started == 0) --walk.helpers;
}

// The caller's side: walks the nodes in order and hands results over.
class HandOver {
 public:
  HandOver(std::shared_ptr<Walk> walk, const std::function<bool(std::vector<WalkedFile>&)>& take)
      : shared_(std::move(walk)), walk_(*shared_), take_(take), last_(SteadyNow()) {}
  // Every exit, an exception's included, ends the helpers first.
  ~HandOver() { End(); }

  bool Run() {
    for (std::size_t index = 0; index < walk_.paths.size(); ++index) {
      std::shared_ptr<Node> node;
      std::vector<std::shared_ptr<Node>> own;  // the run from here, when nobody has started it
      {
        std::lock_guard<std::mutex> hold(walk_.lock);
        if (walk_.Stopping()) return false;  // a failed helper may have left the queue half made
        if (index == walk_.next_path) {
          own = TakePaths(walk_);
          AddHelperIfUseful(shared_);
        }
        node = std::move(walk_.path_nodes.front());  // given path `index`
        walk_.path_nodes.pop_front();
      }
      if (!own.empty()) {
        WorkOn(shared_, own);
        std::lock_guard<std::mutex> hold(walk_.lock);
        for (const auto& done : own) Finish(walk_, *done);
      }
      // Most given paths are done by now: no need to take the lock again.
      if (node->state.load(std::memory_order_acquire) != Node::State::kDone && !Await(node)) return false;
      ++taken_;
      if (!node->listed) {
        if (!Give(WalkedFile{std::move(node->path), node->size, index})) return false;
      } else if (!Descend(std::move(node), index)) {
        return false;
      }
    }
    return Flush();
  }

  // Stops the helpers and waits until every one has left: a listing or a
  // run of lookups under way ends at its next entry.
  void End() {
    std::unique_lock<std::mutex> hold(walk_.lock);
    StopAll(walk_);
    walk_.node_done.wait(hold, [this] { return walk_.helpers == 0; });
  }

 private:
  struct Level {
    std::shared_ptr<Node> node;
    std::size_t next = 0;
  };

  // Every file below the listed folder `top`, depth first.
  bool Descend(std::shared_ptr<Node> top, std::size_t index) {
    std::vector<Level> stack;
    stack.push_back(Level{std::move(top), 0});
    while (!stack.empty()) {
      Level& level = stack.back();
      if (level.next == level.node->children.size()) {
        stack.pop_back();  // the folder's listing goes with it
        continue;
      }
      Child& child = level.node->children[level.next++];
      ++taken_;
      if (walk_.Stopping()) return false;
      if (child.folder) {
        std::shared_ptr<Node> sub = std::move(child.folder);
        std::wstring().swap(child.name);
        // Helpers list most subfolders well ahead: no need for the lock then.
        if (sub->state.load(std::memory_order_acquire) != Node::State::kDone && !Await(sub)) return false;
        stack.push_back(Level{std::move(sub), 0});  // invalidates `level`
      } else {
        WalkedFile file{JoinPath(level.node->path, child.name), child.size, index};
        std::wstring().swap(child.name);
        if (!Give(std::move(file))) return false;
      }
    }
    return true;
  }

  // A stop is looked at before each result: whatever a stopped thread left
  // unfinished is never handed over.
  bool Give(WalkedFile file) {
    if (walk_.Stopping()) return false;
    batch_.push_back(std::move(file));
    if (batch_.size() < kMostPerHandOver && (batch_.size() % 256 != 0 || SteadyNow() - last_ < kHandOverEvery))
      return true;
    return Flush();
  }

  // Under the lock: what was handed on no longer counts as ahead; helpers
  // held back by it may go on.
  void LowerAhead() {
    const bool held_back = walk_.ahead >= walk_.most_ahead;
    walk_.ahead -= std::min(walk_.ahead, taken_);
    taken_ = 0;
    if (held_back && walk_.ahead < walk_.most_ahead && walk_.idle_helpers > 0) walk_.work_came.notify_all();
  }

  bool Flush() {
    {
      std::lock_guard<std::mutex> hold(walk_.lock);
      LowerAhead();
    }
    last_ = SteadyNow();
    if (walk_.Stopping()) return false;
    if (batch_.empty()) return true;
    const bool go_on = take_(batch_);
    batch_.clear();
    if (go_on) return !walk_.Stopping();
    walk_.stopping.store(true, std::memory_order_release);  // helpers stop at their next entry
    return false;
  }

  // Until `node` is done: by this thread when nobody has started it, else by
  // whoever has, meanwhile handing over what is ready.
  bool Await(const std::shared_ptr<Node>& shared_node) {
    Node& node = *shared_node;
    std::unique_lock<std::mutex> hold(walk_.lock);
    LowerAhead();
    AddHelperIfUseful(shared_);
    while (node.state != Node::State::kDone) {
      if (walk_.Stopping()) return false;
      if (node.state == Node::State::kWaiting) {
        walk_.waiting.erase(shared_node);  // a given path is not there
        node.state = Node::State::kBusy;
        hold.unlock();
        WorkOn(shared_, {shared_node});
        hold.lock();
        Finish(walk_, node);
        break;
      }
      const SteadyTime now = SteadyNow();
      const SteadyTime due = batch_.empty() ? now + kHandOverEvery : last_ + kHandOverEvery;
      if (!batch_.empty() && now >= due) {
        hold.unlock();
        if (!Flush()) return false;
        hold.lock();
        continue;
      }
      // Rather than wait for a helper's lookups, look up the next run: on a
      // store that answers at once the caller is as good a worker as any.
      // Only until the rows in hand are due; the run's nodes not started
      // then wait for the caller to reach them.
      std::vector<std::shared_ptr<Node>> ahead;
      if (!walk_.slow && walk_.ahead < walk_.most_ahead) ahead = TakePaths(walk_);
      if (!ahead.empty()) {
        hold.unlock();
        const std::size_t worked = WorkOn(shared_, ahead, batch_.empty() ? nullptr : &due);
        hold.lock();
        for (std::size_t k = 0; k < ahead.size(); ++k) {
          if (k < worked)
            Finish(walk_, *ahead[k]);
          else
            ahead[k]->state = Node::State::kWaiting;
        }
        continue;
      }
      // Rows that fall due meanwhile go over at the top of the loop.
      walk_.awaited = &node;
      walk_.node_done.wait_for(hold, due - now);
      walk_.awaited = nullptr;
    }
    AddHelperIfUseful(shared_);
    return true;
  }

  std::shared_ptr<Walk> shared_;
  Walk& walk_;
  const std::function<bool(std::vector<WalkedFile>&)>& take_;
  std::vector<WalkedFile> batch_;
  SteadyTime last_;
  std::size_t taken_ = 0;  // entries handed on since `ahead` was last lowered
};

}  // namespace

bool WalkPaths(std::vector<std::wstring> paths, const WalkSettings& settings,
               const std::function<bool(std::vector<WalkedFile>& batch)>& take, const std::atomic<bool>* cancel) {
  try {
    auto walk = std::make_shared<Walk>();
    walk->into_folders = settings.into_folders;
    walk->most_ahead = settings.most_ahead;
    walk->most_helpers = settings.in_flight > 1 ? settings.in_flight - 1 : 0;
    const std::uint32_t processors = std::max(1u, std::thread::hardware_concurrency());
    walk->helpers_allowed = std::min(walk->most_helpers, processors);
    walk->paths = std::move(paths);
    walk->cancel = cancel;
    HandOver hand_over(walk, take);
    return hand_over.Run();
  } catch (const std::bad_alloc&) {
    return false;  // the helpers ended as the walk did; what was handed over stays
  }
}

}  // namespace os
