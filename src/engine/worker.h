// Starting the program's worker threads.
#pragma once

#include <cstdint>
#include <functional>

// Runs `entry` on a new thread, one step above normal priority when
// `raise_priority` is nonzero (the setting thread.higher). Returns the
// thread's number, or 0 when no thread could be created; nothing joins it.
std::uint32_t StartWorker(std::function<void()> entry, std::int32_t raise_priority);
