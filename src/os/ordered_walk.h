// Looking up many paths and walking folder trees with several requests in
// flight, the answers handed over in exactly the order a one-at-a-time walk
// gives them. A network share answers each request late but serves many at
// once, and so does a local disk with a deep queue.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "os/path_size.h"

namespace os {

struct WalkedFile {
  std::wstring path;
  std::int64_t size = kPathNotFound;  // as PathSize answers for `path`
  std::size_t given = 0;              // the given path it is, or lies below
};

struct WalkSettings {
  // A given path that is a folder yields every file below it instead of
  // itself: depth first, each folder's entries in the order the file system
  // lists them, a subfolder's files right where the subfolder stands; hidden
  // and system files included, links to folders not followed, a folder that
  // cannot be listed yielding nothing. Each size is the one the listing gave.
  bool into_folders = false;
  // Lookups and listings at most at once, the calling thread's own included;
  // 1 walks on the calling thread alone. While the store answers at once,
  // about one a processor: more would only queue for the processors.
  std::uint32_t in_flight = 8;
  // How far helpers may look up and list ahead of the hand-over, in entries
  // (a given path, or a listed folder's entry) known and not yet handed over:
  // a fast store must not fill memory with a copy of the whole tree. A
  // listing or run under way when it is reached still ends.
  std::size_t most_ahead = 65536;
};

// Every given path in order: itself with its PathSize, or with into_folders
// and a folder, the files below it. `take` runs on the calling thread with
// the next results in order (it may move them out): at least every few
// hundredths of a second while results come, before any wait, and at the
// end. It returns false to end the walk, as `cancel` does once set: the walk
// then hands nothing more over, and returns as soon as every request under
// way has been answered (a listing ends at its next entry). Returns true when
// every result was handed over. Other threads do the lookups and listings
// ahead of the calling thread; none outlives the walk, however it ends. Memory
// that runs out in any of them, or in `take`, ends the walk as a stop does
// (false); what was handed over stays.
bool WalkPaths(std::vector<std::wstring> paths, const WalkSettings& settings,
               const std::function<bool(std::vector<WalkedFile>& batch)>& take,
               const std::atomic<bool>* cancel = nullptr);

}  // namespace os
