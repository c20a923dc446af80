#include "os/pause.h"

#include <cerrno>
#include <ctime>

namespace os {

void PauseOneMillisecond() {
  timespec wanted{0, 1000000};
  while (::nanosleep(&wanted, &wanted) != 0 && errno == EINTR) {
  }
}

}  // namespace os
