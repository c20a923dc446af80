// Long work shown through the system: the taskbar button, a power request,
// a flash, the window thread's timer.
#pragma once

#include "windows/long_work.h"

LongWorkSignals SystemLongWorkSignals();
