#include "os/steady_now.h"

#include "os/access_hook.h"

namespace os {

SteadyTime SteadyNow() {
#ifdef SUMWICK_ACCESS_HOOK
  SteadyTime held;
  if (AccessHookClockNow(&held)) return held;
#endif
  return std::chrono::steady_clock::now();
}

}  // namespace os
