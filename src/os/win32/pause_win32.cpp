#include "os/pause.h"

#include <windows.h>
#include <timeapi.h>

namespace os {

void PauseOneMillisecond() {
  timeBeginPeriod(1);
  Sleep(1);
  timeEndPeriod(1);
}

}  // namespace os
