#include "os/pause.h"

#include <cerrno>
#include <ctime>

namespace os {

Pause::Pause() = default;
Pause::~Pause() = default;

// nanosleep sleeps at least as long as asked; a signal resumes it with the rest.
void Pause::OneMillisecond() {
  timespec wanted{0, 1000000};
  while (::nanosleep(&wanted, &wanted) != 0 && errno == EINTR) {
  }
}

}  // namespace os
