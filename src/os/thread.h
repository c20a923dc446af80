// Detached worker threads.
#pragma once

#include <cstdint>
#include <functional>

namespace os {

// Runs `entry` on a new detached thread; nothing joins it. With
// `raise_priority` the thread runs one step above normal priority where the
// system allows it. Returns a nonzero thread number, or 0 when no thread could
// be created (entry is then never run).
std::uint32_t StartThread(std::function<void()> entry, bool raise_priority);

}  // namespace os
