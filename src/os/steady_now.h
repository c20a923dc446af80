// The steady clock that timed work reads (the walk's hand-over cadence and
// its slow-store rule). In test builds the tests may stand a clock of their
// own in for it (os/access_hook.h), which moves only when they move it.
#pragma once

#include <chrono>

namespace os {

using SteadyTime = std::chrono::steady_clock::time_point;

SteadyTime SteadyNow();

}  // namespace os
