// The calculation run behind the toolbar's Start and Stop.
#pragma once

#include <string>

// Menu event 1: running state, then the worker hashes the ticked rows.
void StartCalculation();
// Menu event 2: asks the run to stop and returns to the idle state at once.
void StopCalculation();
